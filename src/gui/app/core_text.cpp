#include "app/core_text.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace vornik::gui {
namespace {

// The parts the core (and the shell beside it) composes its texts of. A part
// with %1, %2, ... stands for a whole phrase whose values may move in English.
constexpr const char* kParts[] = {
    // The status of the main window, the tray and the floating window.
    QT_TRANSLATE_NOOP("core", "拨号状态："),
    QT_TRANSLATE_NOOP("core", "本月用时："),
    QT_TRANSLATE_NOOP("core", "今日用时："),
    QT_TRANSLATE_NOOP("core", "本次用时："),
    QT_TRANSLATE_NOOP("core", "上次用时："),
    QT_TRANSLATE_NOOP("core", "本次用时:"),
    QT_TRANSLATE_NOOP("core", "上次用时:"),
    QT_TRANSLATE_NOOP("core", "费用："),
    QT_TRANSLATE_NOOP("core", "收到字节："),
    QT_TRANSLATE_NOOP("core", "发送字节："),
    QT_TRANSLATE_NOOP("core", "本 机 IP："),
    QT_TRANSLATE_NOOP("core", "下传速度(KB/s):"),
    QT_TRANSLATE_NOOP("core", "上传速度(KB/s):"),
    QT_TRANSLATE_NOOP("core", "用时%1,花费%2￥,流量%3MB"),
    QT_TRANSLATE_NOOP("core", "%1年%2月共上网%3次,"),
    // Messages with a reason or figures in them.
    QT_TRANSLATE_NOOP("core", "拨号记录写入失败（%1），稍后重试"),
    QT_TRANSLATE_NOOP("core", "%1 次通话的记录没有写入拨号记录（%2）"),
    QT_TRANSLATE_NOOP("core", "无法写入自动启动文件（%1）"),
    QT_TRANSLATE_NOOP("core", "账单没有保存："),
    QT_TRANSLATE_NOOP("core", "无法删除自动启动文件 %1（%2）"),
    QT_TRANSLATE_NOOP("core", "拨号记录没有保存："),
    QT_TRANSLATE_NOOP("core", "以下设置没有保存："),
    QT_TRANSLATE_NOOP("core", "密码没有保存："),
    QT_TRANSLATE_NOOP("core", "没有保存："),
    QT_TRANSLATE_NOOP("core", "设置中有不合理的值，已忽略，仍使用原来的值："),
    QT_TRANSLATE_NOOP("core", "%1：“%2”，应在 %3 到 %4 之间，仍使用 %5"),
    QT_TRANSLATE_NOOP("core", "%1：“%2”，应不小于 %3，仍使用 %4"),
    QT_TRANSLATE_NOOP("core", "每月最大使用时限（小时）"),
    QT_TRANSLATE_NOOP("core", "每日最大使用时限（小时）"),
    QT_TRANSLATE_NOOP("core", "每次最大使用时限（小时）"),
    QT_TRANSLATE_NOOP("core", "每月最大流量（MB）"),
    QT_TRANSLATE_NOOP("core", "空闲判定速度（KB/s）"),
    QT_TRANSLATE_NOOP("core", "空闲时限（秒）"),
    QT_TRANSLATE_NOOP("core", "电话费（元/小时）"),
    QT_TRANSLATE_NOOP("core", "包时月费（元/月）"),
    QT_TRANSLATE_NOOP("core", "包时时长（小时/月）"),
    QT_TRANSLATE_NOOP("core", "包时超时费用（元/小时）"),
    QT_TRANSLATE_NOOP("core", "包时周末折扣"),
    QT_TRANSLATE_NOOP("core", "计时费用（元/小时）"),
    QT_TRANSLATE_NOOP("core", "计时周末折扣"),
    QT_TRANSLATE_NOOP("core", "包月费用（元/月）"),
    QT_TRANSLATE_NOOP("core", "流量月费（元/月）"),
    QT_TRANSLATE_NOOP("core", "流量包含（MB/月）"),
    QT_TRANSLATE_NOOP("core", "流量超出费用（元/MB）"),
    QT_TRANSLATE_NOOP("core", "速度图满刻度（KB/s）"),
    // Opening the log.
    QT_TRANSLATE_NOOP("core", "无法打开拨号记录 %1："),
    QT_TRANSLATE_NOOP(
        "core", "拨号记录 %1 已损坏：已有的记录仍可查看，但已停止写入，以后的通话不会被记录。"),
    QT_TRANSLATE_NOOP("core", "程序继续运行，但设置无法读取，通话也不会被记录。"),
    QT_TRANSLATE_NOOP("core", "文件不存在"),
    QT_TRANSLATE_NOOP("core", "文件夹 %1 不存在"),
    QT_TRANSLATE_NOOP("core", "这是一个文件夹，不是记录文件"),
    QT_TRANSLATE_NOOP("core", "这不是普通文件"),
    QT_TRANSLATE_NOOP("core", "没有读写这个文件的权限"),
    QT_TRANSLATE_NOOP("core", "文件夹 %1 不可写（没有权限，或在只读的磁盘上）"),
    QT_TRANSLATE_NOOP("core", "磁盘已满"),
    QT_TRANSLATE_NOOP("core", "文件正被其他程序占用"),
    QT_TRANSLATE_NOOP("core", "这是未加密的 SQLite 数据库，不是本程序的记录文件"),
    QT_TRANSLATE_NOOP(
        "core",
        "本程序的密钥读不出它：不是本程序的记录文件（可能是其他程序的加密数据库），或文件已损坏"),
    QT_TRANSLATE_NOOP("core", "其中没有拨号记录，不是本程序的记录文件"),
    QT_TRANSLATE_NOOP("core", "文件已损坏，无法读取"),
    QT_TRANSLATE_NOOP("core", "文件已损坏"),
    QT_TRANSLATE_NOOP("core", "读写出错（%1）"),
    QT_TRANSLATE_NOOP("core", "请检查文件和文件夹的权限后重新启动本程序。"),
    QT_TRANSLATE_NOOP("core", "请腾出磁盘空间后重新启动本程序。"),
    QT_TRANSLATE_NOOP("core", "请关闭占用它的程序后重新启动本程序。"),
    QT_TRANSLATE_NOOP("core", "它未作改动；请把它移走，或用“恢复拨号记录”从备份恢复。"),
    QT_TRANSLATE_NOOP("core", "请用“恢复拨号记录”从备份恢复。"),
    // Rule files.
    QT_TRANSLATE_NOOP("core", "无法读取规则文件 %1："),
    QT_TRANSLATE_NOOP("core", "文件 %1 太大，不是规则文件"),
    QT_TRANSLATE_NOOP("core", "文件 %1 既不是 UTF-8 也不是 GB18030 文本，不是规则文件"),
    QT_TRANSLATE_NOOP("core", "规则没有导入，原有规则没有改变："),
    QT_TRANSLATE_NOOP("core", "规则没有导出："),
    QT_TRANSLATE_NOOP("core", "已把 %1 条规则导出到 %2。"),
    QT_TRANSLATE_NOOP("core", "以下规则的值含有逗号或换行，规则文件无法保存，已略去："),
    QT_TRANSLATE_NOOP("core", "已从 %1 读取 %2 行，导入 %3 条规则。"),
    QT_TRANSLATE_NOOP("core", "无法识别、已跳过的行：第 %1 行。"),
    // Looking after the log.
    QT_TRANSLATE_NOOP("core", "清除三个月前记录失败："),
    QT_TRANSLATE_NOOP("core", "压缩记录文件失败："),
    QT_TRANSLATE_NOOP("core", "备份拨号记录失败："),
    QT_TRANSLATE_NOOP("core", "恢复拨号记录失败："),
    QT_TRANSLATE_NOOP("core", "导出拨号记录失败："),
    QT_TRANSLATE_NOOP("core", "导入拨号记录失败："),
    QT_TRANSLATE_NOOP("core", "三个月前的上网记录成功删除！"),
    QT_TRANSLATE_NOOP("core", "共删除了 %1 次通话的记录。"),
    QT_TRANSLATE_NOOP("core", "压缩记录文件成功！"),
    QT_TRANSLATE_NOOP("core", "记录文件从 %1 变为 %2，减小了 %3。"),
    QT_TRANSLATE_NOOP("core", "拨号记录导出成功！"),
    QT_TRANSLATE_NOOP("core", "拨号记录导入成功！"),
    QT_TRANSLATE_NOOP("core", "复制了 %1 次通话的记录，%2 次通话的记录已经存在。"),
    QT_TRANSLATE_NOOP("core", "拨号记录已备份到 %1。"),
    QT_TRANSLATE_NOOP("core", "恢复数据文件成功。"),
    QT_TRANSLATE_NOOP("core", "原来的拨号记录保存在 %1。"),
    // Reports and the simulated dialer.
    QT_TRANSLATE_NOOP("core", "报表没有写成："),
    QT_TRANSLATE_NOOP("core", "报表已写入 %1，但没有能打开网页的程序。"),
    QT_TRANSLATE_NOOP("core", "电话簿中没有连接“%1”，用户名和密码未保存"),
    QT_TRANSLATE_NOOP("core", "无法创建电话簿文件："),
    QT_TRANSLATE_NOOP("core", "无法写入电话簿文件："),
    // The dialer back-ends.
    QT_TRANSLATE_NOOP("core", "拨号失败（NetworkManager 原因代码 %1）"),
    QT_TRANSLATE_NOOP("core", "拨号失败（NetworkManager 设备原因代码 %1）"),
    QT_TRANSLATE_NOOP("core", "拨号失败，NetworkManager 未说明原因"),
    QT_TRANSLATE_NOOP("core", "NetworkManager 无法开始拨号："),
    QT_TRANSLATE_NOOP("core", "NetworkManager 没有响应，%1。"),
    QT_TRANSLATE_NOOP("core", "连接“%1”的用户名和密码未能读取"),
    QT_TRANSLATE_NOOP("core", "没有名为“%1”、可保存用户名和密码的拨号连接，用户名和密码未保存。"),
    QT_TRANSLATE_NOOP("core", "连接“%1”的用户名和密码未保存"),
    QT_TRANSLATE_NOOP("core", "无法读取连接“%1”的设置，用户名和密码未保存。"),
    QT_TRANSLATE_NOOP("core", "无法保存连接“%1”的用户名和密码："),
    QT_TRANSLATE_NOOP("core", "没有名为“%1”的拨号连接。"),
    QT_TRANSLATE_NOOP("core",
                      "未找到 nm-connection-editor：请安装软件包 "
                      "network-manager-gnome（Debian），或用系统设置新建连接。"),
    QT_TRANSLATE_NOOP("core",
                      "未找到 nm-connection-editor：请安装软件包 "
                      "network-manager-gnome（Debian），或用系统设置修改连接。"),
    QT_TRANSLATE_NOOP("core", "无法断开连接："),
    QT_TRANSLATE_NOOP("core", "pppd 异常退出（退出码 %1）"),
    QT_TRANSLATE_NOOP("core", "保存账号需要管理员权限：请以 root 身份编辑 %1"),
    QT_TRANSLATE_NOOP("core", "保存账号失败：%1（%2）"),
    QT_TRANSLATE_NOOP("core",
                      "pppd 的连接在 %1 中定义：请用 pppoeconf 或文本编辑器（需要 root）新建"),
    QT_TRANSLATE_NOOP("core",
                      "pppd 的连接在 %1 中定义：请用 pppoeconf 或文本编辑器（需要 root）修改"),
    QT_TRANSLATE_NOOP("core", "无法启动 pppd（%1）：没有执行权限或文件已损坏"),
    QT_TRANSLATE_NOOP("core", "无法读取"),
    // The dial status line: the link's states and the session's own news.
    QT_TRANSLATE_NOOP("core", "没有建立连接"),
    QT_TRANSLATE_NOOP("core", "正在打开端口"),
    QT_TRANSLATE_NOOP("core", "端口已打开"),
    QT_TRANSLATE_NOOP("core", "正在打开设备"),
    QT_TRANSLATE_NOOP("core", "设备已打开"),
    QT_TRANSLATE_NOOP("core", "所有设备都打开，连接建立"),
    QT_TRANSLATE_NOOP("core", "用户验证开始"),
    QT_TRANSLATE_NOOP("core", "验证协议"),
    QT_TRANSLATE_NOOP("core", "通过用户验证"),
    QT_TRANSLATE_NOOP("core", "连接即将断开已接受回呼"),
    QT_TRANSLATE_NOOP("core", "Modem重置已接受回呼"),
    QT_TRANSLATE_NOOP("core", "等待远程呼叫"),
    QT_TRANSLATE_NOOP("core", "协议通过"),
    QT_TRANSLATE_NOOP("core", "开始用户验证"),
    QT_TRANSLATE_NOOP("core", "回呼结束"),
    QT_TRANSLATE_NOOP("core", "登陆网络"),
    QT_TRANSLATE_NOOP("core", "拨号暂停"),
    QT_TRANSLATE_NOOP("core", "重新用户验证"),
    QT_TRANSLATE_NOOP("core", "回呼已经设置好"),
    QT_TRANSLATE_NOOP("core", "密码已经过期"),
    QT_TRANSLATE_NOOP("core", "连接已建立"),
    QT_TRANSLATE_NOOP("core", "连接已断开"),
    QT_TRANSLATE_NOOP("core", "未知事件"),
    QT_TRANSLATE_NOOP("core", "连接断开"),
    QT_TRANSLATE_NOOP("core", "拨号记录已重新写入"),
    QT_TRANSLATE_NOOP("core", "检查GPRS/ADSL链路"),
    QT_TRANSLATE_NOOP("core", "连接已经断开，重新建立连接。"),
    QT_TRANSLATE_NOOP("core", "GPRS/ADSL连接正常"),
    QT_TRANSLATE_NOOP("core", "GPRS/ADSL连接已经断开....."),
    QT_TRANSLATE_NOOP("core", "网络接通"),
    QT_TRANSLATE_NOOP("core", "网络空闲...."),
    QT_TRANSLATE_NOOP("core", "空闲超时，网络断开。"),
    QT_TRANSLATE_NOOP("core", "空闲超时，用户中断。"),
    QT_TRANSLATE_NOOP("core", "超过每月最大使用时限"),
    QT_TRANSLATE_NOOP("core", "超过每天最大使用时限"),
    QT_TRANSLATE_NOOP("core", "超过每次最大使用时限"),
    QT_TRANSLATE_NOOP("core", "超过设定每月最大流量"),
    QT_TRANSLATE_NOOP("core", "没有选择要拨号的模拟连接"),
    // The month's forecast, in the history, the tray's tip and a notice.
    QT_TRANSLATE_NOOP("core", "预计：本月用时 %1，流量 %2，费用 %3元"),
    QT_TRANSLATE_NOOP("core", "；%1将于 %2月%3日 达到，每天用时不超过 %4 可不超限"),
    QT_TRANSLATE_NOOP("core", "；%1将于 %2月%3日 达到，每天流量不超过 %4 可不超限"),
    QT_TRANSLATE_NOOP("core", "；%1已于 %2月%3日 达到"),
    QT_TRANSLATE_NOOP("core", "；%1本月不会达到"),
    QT_TRANSLATE_NOOP("core", "本月预计 %1，%2元"),
    QT_TRANSLATE_NOOP("core", "，%1已达到"),
    QT_TRANSLATE_NOOP("core", "，%1将于 %2月%3日 达到"),
    QT_TRANSLATE_NOOP("core", "照目前的用量，%1将于 %2月%3日 达到。"),
    // What a call's record cannot vouch for, a line each in the history's tip.
    QT_TRANSLATE_NOOP("core", "记录提前结束：程序被中止，结束时间是最后写入的一分钟"),
    QT_TRANSLATE_NOOP("core", "记录尚未结束：通话还在进行，或程序已被中止"),
    QT_TRANSLATE_NOOP("core",
                      "程序启动时连接已经接通：此前程序没有运行的那段时间没有计时，"
                      "流量按网卡的计数全部计入"),
    QT_TRANSLATE_NOOP("core",
                      "流量计数器在通话中倒退或跳变 %1 次（连接被重置），其间的流量没有计入"),
    QT_TRANSLATE_NOOP("core",
                      "通话中系统时钟跳动了 %1 秒：用时按程序自己的计时，结束时间由开始时间推算"),
    // The bills beside the recorded fees.
    QT_TRANSLATE_NOOP("core", "账单 %1元，本程序记录 %2元，相差 %3元"),
    QT_TRANSLATE_NOOP("core", "按账单校正约 %1元"),
};

// The core's texts that are shown whole: being in the context "core" is all
// they need, so they are only listed for the catalogue.
[[maybe_unused]] constexpr const char* kWholeTexts[] = {
    QT_TRANSLATE_NOOP("core", "没有可拨号的连接：请用“新建”建立一个连接。"),
    QT_TRANSLATE_NOOP("core", "没有选择连接：请先在连接列表中选择要拨号的连接。"),
    QT_TRANSLATE_NOOP("core", "网络空闲超时，断开网络吗？"),
    QT_TRANSLATE_NOOP("core", "关闭提示声音"),
    QT_TRANSLATE_NOOP("core", "打开提示声音"),
    QT_TRANSLATE_NOOP("core", "升序排列"),
    QT_TRANSLATE_NOOP("core", "降序排列"),
    QT_TRANSLATE_NOOP("core", "请输入数字。"),
    QT_TRANSLATE_NOOP("core", "请输入1-28之间的整数。"),
    QT_TRANSLATE_NOOP("core", "密码不能为空！"),
    QT_TRANSLATE_NOOP("core", "密码长度不能小于4位！"),
    QT_TRANSLATE_NOOP("core", "两个密码不同，请重新输入！"),
    QT_TRANSLATE_NOOP("core", "请输入0到10之间的折扣。"),
    QT_TRANSLATE_NOOP("core", "请输入大于0的整数。"),
    QT_TRANSLATE_NOOP("core", "请输入节日名称。"),
    QT_TRANSLATE_NOOP("core", "该节日已经存在。"),
    QT_TRANSLATE_NOOP("core", "该时间已经存在。"),
    QT_TRANSLATE_NOOP("core", "确认删除三个月前的上网记录吗？"),
    QT_TRANSLATE_NOOP("core", "请在断开连接的时候压缩记录文件！"),
    QT_TRANSLATE_NOOP("core", "不是有效的数据库文件。"),
    QT_TRANSLATE_NOOP("core", "目标数据库文件不存在，是否要一个新的文件？"),
    QT_TRANSLATE_NOOP("core", "选定文件将要覆盖程序安装目录下拨号记录(db\\DialLog.db)"),
    QT_TRANSLATE_NOOP("core", "选择备份文件存放目录"),
    QT_TRANSLATE_NOOP("core", "选择要恢复的备份文件"),
    QT_TRANSLATE_NOOP("core", "选择目标数据库文件存放目录"),
    QT_TRANSLATE_NOOP("core", "选择要导入的数据库文件存放目录"),
    QT_TRANSLATE_NOOP("core", "Vornik数据库文件(*.db)|*.db"),
    QT_TRANSLATE_NOOP("core", "本月没有拨号记录。"),
    QT_TRANSLATE_NOOP("core", "本年没有拨号记录。"),
    QT_TRANSLATE_NOOP("core", "拨号记录没有打开"),
    QT_TRANSLATE_NOOP("core", "拨号记录文件已损坏，已停止写入：请用“恢复拨号记录”从备份恢复"),
    QT_TRANSLATE_NOOP("core", "百度"),
    QT_TRANSLATE_NOOP("core", "新浪"),
    QT_TRANSLATE_NOOP("core", "网易"),
    QT_TRANSLATE_NOOP("core", "Yahoo中国"),
    // The tariffs' names.
    QT_TRANSLATE_NOOP("core", "包时"),
    QT_TRANSLATE_NOOP("core", "计时"),
    QT_TRANSLATE_NOOP("core", "包月"),
    QT_TRANSLATE_NOOP("core", "流量"),
    QT_TRANSLATE_NOOP("core", "每月上网时限"),
    QT_TRANSLATE_NOOP("core", "每月流量上限"),
};

struct Part {
    QString source;
    QString english;
    QRegularExpression pattern;  // empty for a part without values
};

const QRegularExpression& ValueMarker() {
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    return marker;
}

// A phrase with values is found as a pattern; its values are carried over, and
// a value that is itself a text of the catalogue (a reason) is translated.
QString Replaced(const QString& text, const Part& part) {
    if (!part.pattern.isValid() || part.pattern.pattern().isEmpty()) {
        return QString(text).replace(part.source, part.english);
    }
    QString shown;
    qsizetype from = 0;
    for (auto found = part.pattern.globalMatch(text); found.hasNext();) {
        const QRegularExpressionMatch match = found.next();
        QString filled = part.english;
        for (int n = 1; n <= match.lastCapturedIndex(); ++n) {
            const QString value = match.captured(n);
            filled.replace(QStringLiteral("%%1").arg(n),
                           QCoreApplication::translate("core", value.toUtf8().constData()));
        }
        shown += text.mid(from, match.capturedStart() - from) + filled;
        from = match.capturedEnd();
    }
    return shown + text.mid(from);
}

// The translated parts, the longest first, so that a part inside a longer one
// does not break it. They are made again only when the language changed.
const QList<Part>& TranslatedParts() {
    static QList<Part> parts;
    static QString madeFor;
    const QString probe = QCoreApplication::translate("core", kParts[0]);
    if (probe == madeFor) {
        return parts;
    }
    madeFor = probe;
    parts.clear();
    for (const char* text : kParts) {
        const QString source = QString::fromUtf8(text);
        const QString english = QCoreApplication::translate("core", text);
        if (english == source) {
            continue;
        }
        QRegularExpression pattern;
        if (source.contains(ValueMarker())) {
            QString escaped = QRegularExpression::escape(source);
            escaped.replace(QRegularExpression(QStringLiteral("\\\\%\\d")),
                            QStringLiteral("(.+?)"));
            // A value at the end takes the rest of the line (a path, say).
            if (escaped.endsWith(QStringLiteral("(.+?)"))) {
                escaped.replace(escaped.size() - 5, 5, QStringLiteral("(.+)"));
            }
            pattern.setPattern(escaped);
        }
        parts.append({source, english, pattern});
    }
    std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.source.size() > b.source.size();
    });
    return parts;
}

}  // namespace

QString CoreText(const std::string& text) {
    const QString source = QString::fromStdString(text);
    const QString whole = QCoreApplication::translate("core", text.c_str());
    if (whole != source) {
        return whole;
    }
    // A name before a colon (拨号状态：, a failed operation) and a text of the
    // catalogue after it, such as a dialer's reason.
    for (const Part& part : TranslatedParts()) {
        if (part.pattern.pattern().isEmpty() && part.source.endsWith(QChar(u'：')) &&
            source.startsWith(part.source)) {
            const QByteArray rest = source.mid(part.source.size()).toUtf8();
            const QString english = QCoreApplication::translate("core", rest.constData());
            if (english != QString::fromUtf8(rest)) {
                return part.english + english;
            }
        }
    }
    QString shown = source;
    for (const Part& part : TranslatedParts()) {
        shown = Replaced(shown, part);
    }
    return shown;
}

}  // namespace vornik::gui
