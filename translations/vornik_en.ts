<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>LogCommands</name>
    <message>
        <source>请稍候……</source>
        <translation>Please wait…</translation>
    </message>
    <message>
        <source>%1 已经存在，要用拨号记录的备份替换它吗？</source>
        <translation>%1 already exists. Replace it with the backup of the call log?</translation>
    </message>
</context>
<context>
    <name>RuleFileCommands</name>
    <message>
        <source>Vornik规则文件(*.ini)|*.ini</source>
        <translation>Vornik rule files (*.ini)|*.ini</translation>
    </message>
    <message>
        <source>选择导出规则文件存放目录</source>
        <translation>Export the rules to</translation>
    </message>
    <message>
        <source>选择导入规则文件存放目录</source>
        <translation>Choose the rule file to import</translation>
    </message>
    <message>
        <source>导入规则文件将导致当前定义的规则被覆盖，确认导入吗？</source>
        <translation>Importing a rule file replaces the rules in force. Import it?</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>拨号状态：</source>
        <translation>Status: </translation>
    </message>
    <message>
        <source>本月用时：</source>
        <translation>This month: </translation>
    </message>
    <message>
        <source>今日用时：</source>
        <translation>Today: </translation>
    </message>
    <message>
        <source>本次用时：</source>
        <translation>This call: </translation>
    </message>
    <message>
        <source>上次用时：</source>
        <translation>Last call: </translation>
    </message>
    <message>
        <source>本次用时:</source>
        <translation>This call: </translation>
    </message>
    <message>
        <source>上次用时:</source>
        <translation>Last call: </translation>
    </message>
    <message>
        <source>费用：</source>
        <translation>Fee: </translation>
    </message>
    <message>
        <source>收到字节：</source>
        <translation>Received: </translation>
    </message>
    <message>
        <source>发送字节：</source>
        <translation>Sent: </translation>
    </message>
    <message>
        <source>本 机 IP：</source>
        <translation>Local IP: </translation>
    </message>
    <message>
        <source>下传速度(KB/s):</source>
        <translation>Down (KB/s): </translation>
    </message>
    <message>
        <source>上传速度(KB/s):</source>
        <translation>Up (KB/s): </translation>
    </message>
    <message>
        <source>用时%1,花费%2￥,流量%3MB</source>
        <translation>Time %1, fee ¥%2, %3 MB</translation>
    </message>
    <message>
        <source>%1年%2月共上网%3次,</source>
        <translation>%1-%2: %3 calls, </translation>
    </message>
    <message>
        <source>拨号记录写入失败（%1），稍后重试</source>
        <translation>The call log could not be written (%1); trying again later</translation>
    </message>
    <message>
        <source>%1 次通话的记录没有写入拨号记录（%2）</source>
        <translation>%1 calls were not written to the call log (%2)</translation>
    </message>
    <message>
        <source>拨号记录没有保存：</source>
        <translation>The call log was not saved: </translation>
    </message>
    <message>
        <source>以下设置没有保存：</source>
        <translation>These settings were not saved: </translation>
    </message>
    <message>
        <source>密码没有保存：</source>
        <translation>The password was not saved: </translation>
    </message>
    <message>
        <source>没有保存：</source>
        <translation>Not saved: </translation>
    </message>
    <message>
        <source>设置中有不合理的值，已忽略，仍使用原来的值：</source>
        <translation>Some settings have unusable values; they are ignored and the previous values stay in force:</translation>
    </message>
    <message>
        <source>%1：“%2”，应在 %3 到 %4 之间，仍使用 %5</source>
        <translation>%1: &quot;%2&quot; should be between %3 and %4; %5 is still used</translation>
    </message>
    <message>
        <source>%1：“%2”，应不小于 %3，仍使用 %4</source>
        <translation>%1: &quot;%2&quot; should be at least %3; %4 is still used</translation>
    </message>
    <message>
        <source>每月最大使用时限（小时）</source>
        <translation>Monthly time limit (hours)</translation>
    </message>
    <message>
        <source>每日最大使用时限（小时）</source>
        <translation>Daily time limit (hours)</translation>
    </message>
    <message>
        <source>每次最大使用时限（小时）</source>
        <translation>Per-call time limit (hours)</translation>
    </message>
    <message>
        <source>每月最大流量（MB）</source>
        <translation>Monthly traffic limit (MB)</translation>
    </message>
    <message>
        <source>空闲判定速度（KB/s）</source>
        <translation>Idle speed (KB/s)</translation>
    </message>
    <message>
        <source>空闲时限（秒）</source>
        <translation>Idle time (seconds)</translation>
    </message>
    <message>
        <source>电话费（元/小时）</source>
        <translation>Phone fee (yuan/hour)</translation>
    </message>
    <message>
        <source>包时月费（元/月）</source>
        <translation>Block plan fee (yuan/month)</translation>
    </message>
    <message>
        <source>包时时长（小时/月）</source>
        <translation>Block plan hours (hours/month)</translation>
    </message>
    <message>
        <source>包时超时费用（元/小时）</source>
        <translation>Block plan overtime fee (yuan/hour)</translation>
    </message>
    <message>
        <source>包时周末折扣</source>
        <translation>Block plan weekend discount</translation>
    </message>
    <message>
        <source>计时费用（元/小时）</source>
        <translation>Hourly fee (yuan/hour)</translation>
    </message>
    <message>
        <source>计时周末折扣</source>
        <translation>Hourly plan weekend discount</translation>
    </message>
    <message>
        <source>包月费用（元/月）</source>
        <translation>Flat rate (yuan/month)</translation>
    </message>
    <message>
        <source>速度图满刻度（KB/s）</source>
        <translation>Speed graph full scale (KB/s)</translation>
    </message>
    <message>
        <source>无法打开拨号记录 %1：</source>
        <translation>Cannot open the call log %1: </translation>
    </message>
    <message>
        <source>拨号记录 %1 已损坏：已有的记录仍可查看，但已停止写入，以后的通话不会被记录。</source>
        <translation>The call log %1 is damaged: its calls can still be viewed, but nothing more is written and new calls are not recorded. </translation>
    </message>
    <message>
        <source>程序继续运行，但设置无法读取，通话也不会被记录。</source>
        <translation>Vornik keeps running, but its settings cannot be read and calls are not recorded.</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>文件夹 %1 不存在</source>
        <translation>the folder %1 does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是记录文件</source>
        <translation>it is a folder, not a call log</translation>
    </message>
    <message>
        <source>这不是普通文件</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>没有读写这个文件的权限</source>
        <translation>no permission to read and write the file</translation>
    </message>
    <message>
        <source>文件夹 %1 不可写（没有权限，或在只读的磁盘上）</source>
        <translation>the folder %1 is not writable (no permission, or a read-only disk)</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件正被其他程序占用</source>
        <translation>another program holds the file</translation>
    </message>
    <message>
        <source>这是未加密的 SQLite 数据库，不是本程序的记录文件</source>
        <translation>it is an unencrypted SQLite database, not Vornik&apos;s call log</translation>
    </message>
    <message>
        <source>本程序的密钥读不出它：不是本程序的记录文件（可能是其他程序的加密数据库），或文件已损坏</source>
        <translation>Vornik&apos;s key cannot read it: it is not Vornik&apos;s call log (perhaps another program&apos;s encrypted database), or it is damaged</translation>
    </message>
    <message>
        <source>其中没有拨号记录，不是本程序的记录文件</source>
        <translation>it holds no calls; it is not Vornik&apos;s call log</translation>
    </message>
    <message>
        <source>文件已损坏，无法读取</source>
        <translation>the file is damaged and cannot be read</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>the file is damaged</translation>
    </message>
    <message>
        <source>读写出错（%1）</source>
        <translation>a read or write error (%1)</translation>
    </message>
    <message>
        <source>请检查文件和文件夹的权限后重新启动本程序。</source>
        <translation>Check the permissions of the file and its folder, then start Vornik again. </translation>
    </message>
    <message>
        <source>请腾出磁盘空间后重新启动本程序。</source>
        <translation>Free some disk space, then start Vornik again. </translation>
    </message>
    <message>
        <source>请关闭占用它的程序后重新启动本程序。</source>
        <translation>Close the program that holds it, then start Vornik again. </translation>
    </message>
    <message>
        <source>它未作改动；请把它移走，或用“恢复拨号记录”从备份恢复。</source>
        <translation>It was left unchanged; move it away, or restore a backup with &quot;Restore call log&quot;. </translation>
    </message>
    <message>
        <source>请用“恢复拨号记录”从备份恢复。</source>
        <translation>Restore a backup with &quot;Restore call log&quot;. </translation>
    </message>
    <message>
        <source>无法读取规则文件 %1：</source>
        <translation>Cannot read the rule file %1: </translation>
    </message>
    <message>
        <source>文件 %1 太大，不是规则文件</source>
        <translation>The file %1 is too large to be a rule file</translation>
    </message>
    <message>
        <source>文件 %1 既不是 UTF-8 也不是 GB18030 文本，不是规则文件</source>
        <translation>The file %1 is neither UTF-8 nor GB18030 text; it is not a rule file</translation>
    </message>
    <message>
        <source>规则没有导入，原有规则没有改变：</source>
        <translation>The rules were not imported; the rules in force are unchanged: </translation>
    </message>
    <message>
        <source>规则没有导出：</source>
        <translation>The rules were not exported: </translation>
    </message>
    <message>
        <source>已把 %1 条规则导出到 %2。</source>
        <translation>Exported %1 rules to %2.</translation>
    </message>
    <message>
        <source>以下规则的值含有逗号或换行，规则文件无法保存，已略去：</source>
        <translation>These rules hold a comma or a line break, which a rule file cannot keep; they were left out: </translation>
    </message>
    <message>
        <source>已从 %1 读取 %2 行，导入 %3 条规则。</source>
        <translation>Read %2 lines from %1 and imported %3 rules.</translation>
    </message>
    <message>
        <source>无法识别、已跳过的行：第 %1 行。</source>
        <translation>Lines not understood and skipped: %1.</translation>
    </message>
    <message>
        <source>清除三个月前记录失败：</source>
        <translation>Removing old calls failed: </translation>
    </message>
    <message>
        <source>压缩记录文件失败：</source>
        <translation>Compacting the call log failed: </translation>
    </message>
    <message>
        <source>备份拨号记录失败：</source>
        <translation>Backing up the call log failed: </translation>
    </message>
    <message>
        <source>恢复拨号记录失败：</source>
        <translation>Restoring the call log failed: </translation>
    </message>
    <message>
        <source>导出拨号记录失败：</source>
        <translation>Exporting the call log failed: </translation>
    </message>
    <message>
        <source>导入拨号记录失败：</source>
        <translation>Importing the call log failed: </translation>
    </message>
    <message>
        <source>三个月前的上网记录成功删除！</source>
        <translation>Calls older than three months were removed.</translation>
    </message>
    <message>
        <source>共删除了 %1 次通话的记录。</source>
        <translation>%1 calls were removed.</translation>
    </message>
    <message>
        <source>压缩记录文件成功！</source>
        <translation>The call log was compacted.</translation>
    </message>
    <message>
        <source>记录文件从 %1 变为 %2，减小了 %3。</source>
        <translation>It went from %1 to %2, %3 smaller.</translation>
    </message>
    <message>
        <source>拨号记录导出成功！</source>
        <translation>The call log was exported.</translation>
    </message>
    <message>
        <source>拨号记录导入成功！</source>
        <translation>The call log was imported.</translation>
    </message>
    <message>
        <source>复制了 %1 次通话的记录，%2 次通话的记录已经存在。</source>
        <translation>%1 calls were copied; %2 were already there.</translation>
    </message>
    <message>
        <source>拨号记录已备份到 %1。</source>
        <translation>The call log was backed up to %1.</translation>
    </message>
    <message>
        <source>恢复数据文件成功。</source>
        <translation>The call log was restored.</translation>
    </message>
    <message>
        <source>原来的拨号记录保存在 %1。</source>
        <translation>The previous call log was kept as %1.</translation>
    </message>
    <message>
        <source>报表没有写成：</source>
        <translation>The report was not written: </translation>
    </message>
    <message>
        <source>报表已写入 %1，但没有能打开网页的程序。</source>
        <translation>The report was written to %1, but no program can open web pages.</translation>
    </message>
    <message>
        <source>电话簿中没有连接“%1”，用户名和密码未保存</source>
        <translation>The phone book has no entry &quot;%1&quot;; the user name and password were not saved</translation>
    </message>
    <message>
        <source>无法创建电话簿文件：</source>
        <translation>Cannot create the phone book file: </translation>
    </message>
    <message>
        <source>无法写入电话簿文件：</source>
        <translation>Cannot write the phone book file: </translation>
    </message>
    <message>
        <source>另一项拨号记录操作还没有结束，请稍后再试。</source>
        <translation>Another call log operation is still running; please try again later.</translation>
    </message>
    <message>
        <source>不能把拨号记录备份到它自己，请另选一个文件。</source>
        <translation>The call log cannot be backed up onto itself; please choose another file.</translation>
    </message>
    <message>
        <source>没有建立连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>正在打开端口</source>
        <translation>Opening port</translation>
    </message>
    <message>
        <source>端口已打开</source>
        <translation>Port opened</translation>
    </message>
    <message>
        <source>正在打开设备</source>
        <translation>Opening device</translation>
    </message>
    <message>
        <source>设备已打开</source>
        <translation>Device opened</translation>
    </message>
    <message>
        <source>所有设备都打开，连接建立</source>
        <translation>All devices open, connecting</translation>
    </message>
    <message>
        <source>用户验证开始</source>
        <translation>Authenticating</translation>
    </message>
    <message>
        <source>验证协议</source>
        <translation>Authentication protocol</translation>
    </message>
    <message>
        <source>通过用户验证</source>
        <translation>Authenticated</translation>
    </message>
    <message>
        <source>连接即将断开已接受回呼</source>
        <translation>Callback accepted, disconnecting</translation>
    </message>
    <message>
        <source>Modem重置已接受回呼</source>
        <translation>Callback accepted, resetting modem</translation>
    </message>
    <message>
        <source>等待远程呼叫</source>
        <translation>Waiting for callback</translation>
    </message>
    <message>
        <source>协议通过</source>
        <translation>Projected</translation>
    </message>
    <message>
        <source>开始用户验证</source>
        <translation>Starting authentication</translation>
    </message>
    <message>
        <source>回呼结束</source>
        <translation>Callback complete</translation>
    </message>
    <message>
        <source>登陆网络</source>
        <translation>Logging on to the network</translation>
    </message>
    <message>
        <source>拨号暂停</source>
        <translation>Dialing paused</translation>
    </message>
    <message>
        <source>重新用户验证</source>
        <translation>Authenticating again</translation>
    </message>
    <message>
        <source>回呼已经设置好</source>
        <translation>Callback set</translation>
    </message>
    <message>
        <source>密码已经过期</source>
        <translation>Password expired</translation>
    </message>
    <message>
        <source>连接已建立</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>连接已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>未知事件</source>
        <translation>Unknown event</translation>
    </message>
    <message>
        <source>连接断开</source>
        <translation>Hung up</translation>
    </message>
    <message>
        <source>拨号记录已重新写入</source>
        <translation>The call log was written again</translation>
    </message>
    <message>
        <source>检查GPRS/ADSL链路</source>
        <translation>Checking the link</translation>
    </message>
    <message>
        <source>连接已经断开，重新建立连接。</source>
        <translation>The link is down; dialing again.</translation>
    </message>
    <message>
        <source>GPRS/ADSL连接正常</source>
        <translation>The link is up</translation>
    </message>
    <message>
        <source>GPRS/ADSL连接已经断开.....</source>
        <translation>The link is down.....</translation>
    </message>
    <message>
        <source>网络接通</source>
        <translation>Link active</translation>
    </message>
    <message>
        <source>网络空闲....</source>
        <translation>Link idle....</translation>
    </message>
    <message>
        <source>空闲超时，网络断开。</source>
        <translation>Idle too long; hung up.</translation>
    </message>
    <message>
        <source>空闲超时，用户中断。</source>
        <translation>Idle too long; the user hung up.</translation>
    </message>
    <message>
        <source>超过每月最大使用时限</source>
        <translation>Monthly time limit exceeded</translation>
    </message>
    <message>
        <source>超过每天最大使用时限</source>
        <translation>Daily time limit exceeded</translation>
    </message>
    <message>
        <source>超过每次最大使用时限</source>
        <translation>Per-call time limit exceeded</translation>
    </message>
    <message>
        <source>超过设定每月最大流量</source>
        <translation>Monthly traffic limit exceeded</translation>
    </message>
    <message>
        <source>没有选择要拨号的模拟连接</source>
        <translation>No simulated entry chosen to dial</translation>
    </message>
    <message>
        <source>没有可拨号的连接：请用“新建”建立一个连接。</source>
        <translation>There is no entry to dial: make one with &quot;New&quot;.</translation>
    </message>
    <message>
        <source>没有选择连接：请先在连接列表中选择要拨号的连接。</source>
        <translation>No entry chosen: choose the entry to dial in the list first.</translation>
    </message>
    <message>
        <source>网络空闲超时，断开网络吗？</source>
        <translation>The link has been idle too long. Hang up?</translation>
    </message>
    <message>
        <source>关闭提示声音</source>
        <translation>Sounds off</translation>
    </message>
    <message>
        <source>打开提示声音</source>
        <translation>Sounds on</translation>
    </message>
    <message>
        <source>升序排列</source>
        <translation>Oldest first</translation>
    </message>
    <message>
        <source>降序排列</source>
        <translation>Newest first</translation>
    </message>
    <message>
        <source>请输入数字。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>请输入1-28之间的整数。</source>
        <translation>Please enter a whole number from 1 to 28.</translation>
    </message>
    <message>
        <source>密码不能为空！</source>
        <translation>The password must not be empty!</translation>
    </message>
    <message>
        <source>密码长度不能小于4位！</source>
        <translation>The password must have at least 4 characters!</translation>
    </message>
    <message>
        <source>两个密码不同，请重新输入！</source>
        <translation>The two passwords differ; please enter them again!</translation>
    </message>
    <message>
        <source>请输入0到10之间的折扣。</source>
        <translation>Please enter a discount from 0 to 10.</translation>
    </message>
    <message>
        <source>请输入大于0的整数。</source>
        <translation>Please enter a whole number greater than 0.</translation>
    </message>
    <message>
        <source>请输入节日名称。</source>
        <translation>Please enter the holiday&apos;s name.</translation>
    </message>
    <message>
        <source>该节日已经存在。</source>
        <translation>This holiday already exists.</translation>
    </message>
    <message>
        <source>该时间已经存在。</source>
        <translation>This time already exists.</translation>
    </message>
    <message>
        <source>确认删除三个月前的上网记录吗？</source>
        <translation>Remove the calls older than three months?</translation>
    </message>
    <message>
        <source>请在断开连接的时候压缩记录文件！</source>
        <translation>Please compact the call log while no call is up!</translation>
    </message>
    <message>
        <source>不是有效的数据库文件。</source>
        <translation>Not a valid call log file.</translation>
    </message>
    <message>
        <source>目标数据库文件不存在，是否要一个新的文件？</source>
        <translation>The target log file does not exist. Make a new one?</translation>
    </message>
    <message>
        <source>选定文件将要覆盖程序安装目录下拨号记录(db\DialLog.db)</source>
        <translation>The chosen file will replace the call log in the program folder (db/diallog.db)</translation>
    </message>
    <message>
        <source>选择备份文件存放目录</source>
        <translation>Back up the call log to</translation>
    </message>
    <message>
        <source>选择要恢复的备份文件</source>
        <translation>Choose the backup to restore</translation>
    </message>
    <message>
        <source>选择目标数据库文件存放目录</source>
        <translation>Export the call log to</translation>
    </message>
    <message>
        <source>选择要导入的数据库文件存放目录</source>
        <translation>Choose the call log to import</translation>
    </message>
    <message>
        <source>Vornik数据库文件(*.db)|*.db</source>
        <translation>Vornik call logs (*.db)|*.db</translation>
    </message>
    <message>
        <source>本月没有拨号记录。</source>
        <translation>No calls this month.</translation>
    </message>
    <message>
        <source>本年没有拨号记录。</source>
        <translation>No calls this year.</translation>
    </message>
    <message>
        <source>拨号记录没有打开</source>
        <translation>The call log is not open</translation>
    </message>
    <message>
        <source>拨号记录文件已损坏，已停止写入：请用“恢复拨号记录”从备份恢复</source>
        <translation>The call log is damaged and no longer written: restore a backup with &quot;Restore call log&quot;</translation>
    </message>
    <message>
        <source>连接列表未能读取</source>
        <translation>the list of entries could not be read</translation>
    </message>
    <message>
        <source>连接列表未能更新</source>
        <translation>the list of entries could not be updated</translation>
    </message>
    <message>
        <source>连接的状态未能读取</source>
        <translation>the state of the entry could not be read</translation>
    </message>
    <message>
        <source>连接的地址未能读取</source>
        <translation>the address of the entry could not be read</translation>
    </message>
    <message>
        <source>连接未能断开</source>
        <translation>the entry could not be hung up</translation>
    </message>
    <message>
        <source>无法启动 nm-connection-editor。</source>
        <translation>Cannot start nm-connection-editor.</translation>
    </message>
    <message>
        <source>没有选择要拨号的连接。</source>
        <translation>No entry chosen to dial.</translation>
    </message>
    <message>
        <source>拨号已被用户取消</source>
        <translation>Dialing was cancelled by the user</translation>
    </message>
    <message>
        <source>设备已断开</source>
        <translation>The device disconnected</translation>
    </message>
    <message>
        <source>拨号服务已停止</source>
        <translation>The dial-up service stopped</translation>
    </message>
    <message>
        <source>未能取得有效的 IP 地址</source>
        <translation>No valid IP address was obtained</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>The connection timed out</translation>
    </message>
    <message>
        <source>拨号服务启动超时</source>
        <translation>The dial-up service took too long to start</translation>
    </message>
    <message>
        <source>拨号服务启动失败</source>
        <translation>The dial-up service failed to start</translation>
    </message>
    <message>
        <source>缺少用户名或密码，无法拨号</source>
        <translation>A user name or password is missing</translation>
    </message>
    <message>
        <source>用户名或密码错误，登录失败</source>
        <translation>Wrong user name or password; login failed</translation>
    </message>
    <message>
        <source>连接配置已被删除</source>
        <translation>The entry was removed</translation>
    </message>
    <message>
        <source>所依赖的连接失败</source>
        <translation>A connection it depends on failed</translation>
    </message>
    <message>
        <source>设备已被移除</source>
        <translation>The device was removed</translation>
    </message>
    <message>
        <source>设备配置失败</source>
        <translation>The device could not be configured</translation>
    </message>
    <message>
        <source>未能取得 IP 地址</source>
        <translation>No IP address was obtained</translation>
    </message>
    <message>
        <source>IP 地址租期已过</source>
        <translation>The IP address lease expired</translation>
    </message>
    <message>
        <source>PPP 服务启动失败</source>
        <translation>The PPP service failed to start</translation>
    </message>
    <message>
        <source>PPP 连接已断开</source>
        <translation>The PPP link went down</translation>
    </message>
    <message>
        <source>PPP 连接失败，请检查用户名和密码</source>
        <translation>The PPP link failed; check the user name and password</translation>
    </message>
    <message>
        <source>调制解调器忙</source>
        <translation>The modem is busy</translation>
    </message>
    <message>
        <source>没有拨号音</source>
        <translation>No dial tone</translation>
    </message>
    <message>
        <source>没有载波信号</source>
        <translation>No carrier</translation>
    </message>
    <message>
        <source>调制解调器拨号超时</source>
        <translation>The modem timed out dialing</translation>
    </message>
    <message>
        <source>调制解调器拨号失败</source>
        <translation>The modem failed to dial</translation>
    </message>
    <message>
        <source>调制解调器初始化失败</source>
        <translation>The modem could not be initialised</translation>
    </message>
    <message>
        <source>无法选择移动网络接入点 (APN)</source>
        <translation>Cannot select the mobile access point (APN)</translation>
    </message>
    <message>
        <source>无法注册到移动网络</source>
        <translation>Cannot register with the mobile network</translation>
    </message>
    <message>
        <source>移动网络拒绝注册</source>
        <translation>The mobile network refused registration</translation>
    </message>
    <message>
        <source>注册移动网络超时</source>
        <translation>Registering with the mobile network timed out</translation>
    </message>
    <message>
        <source>SIM 卡 PIN 码验证失败</source>
        <translation>The SIM PIN check failed</translation>
    </message>
    <message>
        <source>设备缺少固件</source>
        <translation>The device lacks firmware</translation>
    </message>
    <message>
        <source>系统正在休眠</source>
        <translation>The system is going to sleep</translation>
    </message>
    <message>
        <source>网线未连接</source>
        <translation>The cable is unplugged</translation>
    </message>
    <message>
        <source>找不到调制解调器</source>
        <translation>No modem found</translation>
    </message>
    <message>
        <source>蓝牙连接失败</source>
        <translation>The Bluetooth connection failed</translation>
    </message>
    <message>
        <source>未插入 SIM 卡</source>
        <translation>No SIM card inserted</translation>
    </message>
    <message>
        <source>需要 SIM 卡 PIN 码</source>
        <translation>The SIM PIN is needed</translation>
    </message>
    <message>
        <source>需要 SIM 卡 PUK 码</source>
        <translation>The SIM PUK is needed</translation>
    </message>
    <message>
        <source>SIM 卡错误</source>
        <translation>SIM card error</translation>
    </message>
    <message>
        <source>ModemManager 未运行</source>
        <translation>ModemManager is not running</translation>
    </message>
    <message>
        <source>附属连接失败</source>
        <translation>A secondary connection failed</translation>
    </message>
    <message>
        <source>调制解调器故障</source>
        <translation>Modem failure</translation>
    </message>
    <message>
        <source>SIM 卡 PIN 码错误</source>
        <translation>Wrong SIM PIN</translation>
    </message>
    <message>
        <source>IP 地址与网络中的其他设备冲突</source>
        <translation>The IP address conflicts with another device</translation>
    </message>
    <message>
        <source>没有拨号的权限，NetworkManager 拒绝了请求</source>
        <translation>No permission to dial: NetworkManager refused</translation>
    </message>
    <message>
        <source>连接配置已不存在，无法拨号</source>
        <translation>The entry no longer exists</translation>
    </message>
    <message>
        <source>NetworkManager 没有运行，无法拨号</source>
        <translation>NetworkManager is not running</translation>
    </message>
    <message>
        <source>NetworkManager 没有响应，无法拨号</source>
        <translation>NetworkManager does not answer</translation>
    </message>
    <message>
        <source>当前用户不在 dip 组中，无法运行 pppd 拨号：请让管理员执行 adduser 用户名 dip 后重新登录</source>
        <translation>You are not in the group dip and cannot dial with pppd: ask an administrator to run adduser USER dip, then log in again</translation>
    </message>
    <message>
        <source>未找到 pppd：请安装软件包 ppp</source>
        <translation>pppd was not found: install the package ppp</translation>
    </message>
    <message>
        <source>没有选择要拨号的连接</source>
        <translation>No entry chosen to dial</translation>
    </message>
    <message>
        <source>pppd 发生致命错误</source>
        <translation>pppd hit a fatal error</translation>
    </message>
    <message>
        <source>pppd 选项错误：请检查该连接的 peers 文件</source>
        <translation>pppd&apos;s options are wrong: check the entry&apos;s peers file</translation>
    </message>
    <message>
        <source>pppd 没有 root 权限（未设置 setuid）</source>
        <translation>pppd has no root rights (not setuid)</translation>
    </message>
    <message>
        <source>内核不支持 PPP（缺少 ppp 驱动）</source>
        <translation>The kernel does not support PPP (no ppp driver)</translation>
    </message>
    <message>
        <source>pppd 被信号终止</source>
        <translation>pppd was ended by a signal</translation>
    </message>
    <message>
        <source>无法锁定串口（端口正被占用）</source>
        <translation>Cannot lock the serial port (it is in use)</translation>
    </message>
    <message>
        <source>无法打开端口（串口或设备不可用）</source>
        <translation>Cannot open the port (serial port or device unavailable)</translation>
    </message>
    <message>
        <source>连接脚本执行失败</source>
        <translation>The connect script failed</translation>
    </message>
    <message>
        <source>pty 命令执行失败</source>
        <translation>The pty command failed</translation>
    </message>
    <message>
        <source>链路协商失败</source>
        <translation>Link negotiation failed</translation>
    </message>
    <message>
        <source>对方未通过身份验证</source>
        <translation>The peer failed to authenticate</translation>
    </message>
    <message>
        <source>链路空闲超时，已断开</source>
        <translation>The link was idle too long and was hung up</translation>
    </message>
    <message>
        <source>已达到连接时间上限，已断开</source>
        <translation>The connect time limit was reached; hung up</translation>
    </message>
    <message>
        <source>已协商回呼，等待对方回拨</source>
        <translation>Callback negotiated; waiting for the call back</translation>
    </message>
    <message>
        <source>对方没有响应</source>
        <translation>The peer does not answer</translation>
    </message>
    <message>
        <source>调制解调器挂断</source>
        <translation>The modem hung up</translation>
    </message>
    <message>
        <source>检测到串行链路环回</source>
        <translation>A looped-back serial line was detected</translation>
    </message>
    <message>
        <source>初始化脚本执行失败</source>
        <translation>The init script failed</translation>
    </message>
    <message>
        <source>用户名或密码错误，验证失败</source>
        <translation>Wrong user name or password; authentication failed</translation>
    </message>
    <message>
        <source>用户名或密码中不能有换行，未保存</source>
        <translation>A user name or password cannot hold a line break; not saved</translation>
    </message>
    <message>
        <source>请先填写用户名，再保存密码</source>
        <translation>Fill in the user name before saving the password</translation>
    </message>
    <message>
        <source>pppd 意外终止</source>
        <translation>pppd ended unexpectedly</translation>
    </message>
    <message>
        <source>拨号失败（NetworkManager 原因代码 %1）</source>
        <translation>Dialing failed (NetworkManager reason %1)</translation>
    </message>
    <message>
        <source>拨号失败（NetworkManager 设备原因代码 %1）</source>
        <translation>Dialing failed (NetworkManager device reason %1)</translation>
    </message>
    <message>
        <source>拨号失败，NetworkManager 未说明原因</source>
        <translation>Dialing failed; NetworkManager gave no reason</translation>
    </message>
    <message>
        <source>NetworkManager 无法开始拨号：</source>
        <translation>NetworkManager cannot start dialing: </translation>
    </message>
    <message>
        <source>NetworkManager 没有响应，%1。</source>
        <translation>NetworkManager does not answer: %1.</translation>
    </message>
    <message>
        <source>连接“%1”的用户名和密码未能读取</source>
        <translation>The user name and password of &quot;%1&quot; could not be read</translation>
    </message>
    <message>
        <source>没有名为“%1”、可保存用户名和密码的拨号连接，用户名和密码未保存。</source>
        <translation>There is no dial-up entry &quot;%1&quot; that can keep a user name and password; they were not saved.</translation>
    </message>
    <message>
        <source>连接“%1”的用户名和密码未保存</source>
        <translation>The user name and password of &quot;%1&quot; were not saved</translation>
    </message>
    <message>
        <source>无法读取连接“%1”的设置，用户名和密码未保存。</source>
        <translation>The settings of &quot;%1&quot; could not be read; the user name and password were not saved.</translation>
    </message>
    <message>
        <source>无法保存连接“%1”的用户名和密码：</source>
        <translation>Cannot save the user name and password of &quot;%1&quot;: </translation>
    </message>
    <message>
        <source>没有名为“%1”的拨号连接。</source>
        <translation>There is no dial-up entry &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>未找到 nm-connection-editor：请安装软件包 network-manager-gnome（Debian），或用系统设置新建连接。</source>
        <translation>nm-connection-editor was not found: install the package network-manager-gnome (Debian), or make the entry in the system settings.</translation>
    </message>
    <message>
        <source>未找到 nm-connection-editor：请安装软件包 network-manager-gnome（Debian），或用系统设置修改连接。</source>
        <translation>nm-connection-editor was not found: install the package network-manager-gnome (Debian), or change the entry in the system settings.</translation>
    </message>
    <message>
        <source>无法断开连接：</source>
        <translation>Cannot hang up: </translation>
    </message>
    <message>
        <source>pppd 异常退出（退出码 %1）</source>
        <translation>pppd ended abnormally (exit code %1)</translation>
    </message>
    <message>
        <source>保存账号需要管理员权限：请以 root 身份编辑 %1</source>
        <translation>Saving the account needs administrator rights: edit %1 as root</translation>
    </message>
    <message>
        <source>保存账号失败：%1（%2）</source>
        <translation>Saving the account failed: %1 (%2)</translation>
    </message>
    <message>
        <source>pppd 的连接在 %1 中定义：请用 pppoeconf 或文本编辑器（需要 root）新建</source>
        <translation>pppd&apos;s entries are defined in %1: make one with pppoeconf or a text editor (as root)</translation>
    </message>
    <message>
        <source>pppd 的连接在 %1 中定义：请用 pppoeconf 或文本编辑器（需要 root）修改</source>
        <translation>pppd&apos;s entries are defined in %1: change it with pppoeconf or a text editor (as root)</translation>
    </message>
    <message>
        <source>无法启动 pppd（%1）：没有执行权限或文件已损坏</source>
        <translation>Cannot start pppd (%1): no permission to run it, or the file is damaged</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>百度</source>
        <translation>Baidu</translation>
    </message>
    <message>
        <source>新浪</source>
        <translation>Sina</translation>
    </message>
    <message>
        <source>网易</source>
        <translation>NetEase</translation>
    </message>
    <message>
        <source>Yahoo中国</source>
        <translation>Yahoo China</translation>
    </message>
    <message>
        <source>流量月费（元/月）</source>
        <translation>Volume plan fee (yuan/month)</translation>
    </message>
    <message>
        <source>流量包含（MB/月）</source>
        <translation>Volume included (MB/month)</translation>
    </message>
    <message>
        <source>流量超出费用（元/MB）</source>
        <translation>Volume beyond the plan (yuan/MB)</translation>
    </message>
    <message>
        <source>包时</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>计时</source>
        <translation>Hourly</translation>
    </message>
    <message>
        <source>包月</source>
        <translation>Flat rate</translation>
    </message>
    <message>
        <source>流量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>无法写入自动启动文件（%1）</source>
        <translation>Cannot write the autostart file (%1)</translation>
    </message>
    <message>
        <source>无法删除自动启动文件 %1（%2）</source>
        <translation>Cannot remove the autostart file %1 (%2)</translation>
    </message>
    <message>
        <source>账单没有保存：</source>
        <translation>The bill was not saved: </translation>
    </message>
    <message>
        <source>预计：本月用时 %1，流量 %2，费用 %3元</source>
        <translation>Forecast for this month: %1 online, %2, %3 yuan</translation>
    </message>
    <message>
        <source>；%1将于 %2月%3日 达到，每天用时不超过 %4 可不超限</source>
        <translation>; %1 reached on %2/%3 at this pace, not if each day stays under %4</translation>
    </message>
    <message>
        <source>；%1将于 %2月%3日 达到，每天流量不超过 %4 可不超限</source>
        <translation>; %1 reached on %2/%3 at this pace, not if each day stays under %4</translation>
    </message>
    <message>
        <source>；%1已于 %2月%3日 达到</source>
        <translation>; %1 reached on %2/%3</translation>
    </message>
    <message>
        <source>；%1本月不会达到</source>
        <translation>; %1 not reached this month</translation>
    </message>
    <message>
        <source>本月预计 %1，%2元</source>
        <translation>This month about %1, %2 yuan</translation>
    </message>
    <message>
        <source>，%1已达到</source>
        <translation>, %1 reached</translation>
    </message>
    <message>
        <source>，%1将于 %2月%3日 达到</source>
        <translation>, %1 reached on %2/%3</translation>
    </message>
    <message>
        <source>照目前的用量，%1将于 %2月%3日 达到。</source>
        <translation>At this pace, %1 will be reached on %2/%3.</translation>
    </message>
    <message>
        <source>账单 %1元，本程序记录 %2元，相差 %3元</source>
        <translation>Bill %1 yuan, recorded %2 yuan, difference %3 yuan</translation>
    </message>
    <message>
        <source>按账单校正约 %1元</source>
        <translation>about %1 yuan by the bills</translation>
    </message>
    <message>
        <source>每月上网时限</source>
        <translation>the monthly time limit</translation>
    </message>
    <message>
        <source>每月流量上限</source>
        <translation>the monthly volume limit</translation>
    </message>
    <message>
        <source>记录提前结束：程序被中止，结束时间是最后写入的一分钟</source>
        <translation>Record ended early: the program was stopped; the end is the last minute written</translation>
    </message>
    <message>
        <source>记录尚未结束：通话还在进行，或程序已被中止</source>
        <translation>Record not finished: the call is still up, or the program was stopped</translation>
    </message>
    <message>
        <source>程序启动时连接已经接通：此前程序没有运行的那段时间没有计时，流量按网卡的计数全部计入</source>
        <translation>The link was already up when the program started: the time before was not metered, and all the interface's traffic is counted</translation>
    </message>
    <message>
        <source>流量计数器在通话中倒退或跳变 %1 次（连接被重置），其间的流量没有计入</source>
        <translation>The traffic counters went back or jumped %1 times during the call (the link was reset); the traffic in between is not counted</translation>
    </message>
    <message>
        <source>通话中系统时钟跳动了 %1 秒：用时按程序自己的计时，结束时间由开始时间推算</source>
        <translation>The system clock jumped %1 seconds during the call: the time is the program's own count, and the end is worked out from the beginning</translation>
    </message>
</context>
<context>
    <name>vornik::gui::AboutDialog</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Vornik全免费版</source>
        <translation>Vornik, free edition</translation>
    </message>
    <message>
        <source>版本 </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>免费软件，可自由使用、复制和分发。</source>
        <translation>Free software: use, copy and share it freely.</translation>
    </message>
    <message>
        <source>访问软件主页:</source>
        <translation>Home page:</translation>
    </message>
    <message>
        <source>写信给作者：</source>
        <translation>Write to the authors:</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>vornik::gui::BackendChoice</name>
    <message>
        <source>模拟拨号（演示）：不会建立真实连接</source>
        <translation>Simulated dialer (demo): no real connection is made</translation>
    </message>
    <message>
        <source>NetworkManager 拨号</source>
        <translation>Dialing through NetworkManager</translation>
    </message>
    <message>
        <source>pppd 拨号（/etc/ppp/peers）</source>
        <translation>Dialing through pppd (/etc/ppp/peers)</translation>
    </message>
</context>
<context>
    <name>vornik::gui::BillDialog</name>
    <message>
        <source>核对账单</source>
        <translation>Check the bill</translation>
    </message>
    <message>
        <source>yyyy&apos;年&apos;M&apos;月&apos;</source>
        <translation>yyyy-MM</translation>
    </message>
    <message>
        <source> 元</source>
        <translation> yuan</translation>
    </message>
    <message>
        <source>按账单校正以后的费用（只作显示，不改记录）</source>
        <translation>Correct later fees by the bills (shown only, the log is not changed)</translation>
    </message>
    <message>
        <source>计费月份：</source>
        <translation>Billing month:</translation>
    </message>
    <message>
        <source>账单金额：</source>
        <translation>Amount billed:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vornik::gui::DiscountTimeEditor</name>
    <message>
        <source>设置优惠时段</source>
        <translation>Discount hours</translation>
    </message>
</context>
<context>
    <name>vornik::gui::FloatWindow</name>
    <message>
        <source>点击拨号</source>
        <translation>Click to dial</translation>
    </message>
    <message>
        <source>点击断开</source>
        <translation>Click to hang up</translation>
    </message>
    <message>
        <source>浮动窗口菜单</source>
        <translation>Floating window menu</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Dial</translation>
    </message>
    <message>
        <source>挂断</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>隐藏浮动窗口</source>
        <translation>Hide floating window</translation>
    </message>
    <message>
        <source>显示程序界面</source>
        <translation>Show main window</translation>
    </message>
</context>
<context>
    <name>vornik::gui::HistoryView</name>
    <message>
        <source>开始时间</source>
        <translation>Begin</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End</translation>
    </message>
    <message>
        <source>用时</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>费用</source>
        <translation>Fee</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>接收字节</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>发送字节</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>yyyy&apos;年&apos;M&apos;月&apos;</source>
        <translation>yyyy-MM</translation>
    </message>
</context>
<context>
    <name>vornik::gui::HolidayEditor</name>
    <message>
        <source>设置节假日</source>
        <translation>Holidays</translation>
    </message>
    <message>
        <source>天</source>
        <translation>days</translation>
    </message>
</context>
<context>
    <name>vornik::gui::LocalPagePanel</name>
    <message>
        <source>adver</source>
        <translation>adver_en</translation>
    </message>
</context>
<context>
    <name>vornik::gui::MainWindow</name>
    <message>
        <source>显示历史记录</source>
        <translation>Show history</translation>
    </message>
    <message>
        <source>隐藏历史记录</source>
        <translation>Hide history</translation>
    </message>
    <message>
        <source>拨号</source>
        <translation>Dial</translation>
    </message>
    <message>
        <source>挂断</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>设置规则</source>
        <translation>Rules</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>备份拨号记录</source>
        <translation>Back up call log</translation>
    </message>
    <message>
        <source>恢复拨号记录</source>
        <translation>Restore call log</translation>
    </message>
    <message>
        <source>导出拨号记录</source>
        <translation>Export call log</translation>
    </message>
    <message>
        <source>导入拨号记录</source>
        <translation>Import call log</translation>
    </message>
    <message>
        <source>压缩记录文件</source>
        <translation>Compact call log</translation>
    </message>
    <message>
        <source>月报表(按拨号)</source>
        <translation>Month report (by call)</translation>
    </message>
    <message>
        <source>月报表(按每天)</source>
        <translation>Month report (by day)</translation>
    </message>
    <message>
        <source>年报表(按每月)</source>
        <translation>Year report (by month)</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>导出规则</source>
        <translation>Export rules</translation>
    </message>
    <message>
        <source>导入规则</source>
        <translation>Import rules</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>悬浮窗口</source>
        <translation>Floating window</translation>
    </message>
    <message>
        <source>隐藏主窗口</source>
        <translation>Hide main window</translation>
    </message>
    <message>
        <source>关闭提示声音</source>
        <translation>Sounds off</translation>
    </message>
    <message>
        <source>报表</source>
        <translation>Reports</translation>
    </message>
    <message>
        <source>风格</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>拨号记录</source>
        <translation>Call log</translation>
    </message>
    <message>
        <source>清除三个月前记录</source>
        <translation>Remove calls older than three months</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>访问主页</source>
        <translation>Home page</translation>
    </message>
    <message>
        <source>浮动窗口</source>
        <translation>Floating window</translation>
    </message>
    <message>
        <source>显示主窗口</source>
        <translation>Show main window</translation>
    </message>
    <message>
        <source>清除3个月前记录</source>
        <translation>Remove calls older than 3 months</translation>
    </message>
    <message>
        <source>快速搜索</source>
        <translation>Quick search</translation>
    </message>
    <message>
        <source>降序排列</source>
        <translation>Newest first</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>资费比较</source>
        <translation>Compare tariffs</translation>
    </message>
    <message>
        <source>核对账单</source>
        <translation>Check the bill</translation>
    </message>
</context>
<context>
    <name>vornik::gui::OptionsDialog</name>
    <message>
        <source>设置拨号规则</source>
        <translation>Dialing rules</translation>
    </message>
    <message>
        <source>拨号设置</source>
        <translation>Dialing</translation>
    </message>
    <message>
        <source>空闲设置</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>资费设置</source>
        <translation>Tariff</translation>
    </message>
    <message>
        <source>密码设置</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>其他选项</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>自动开关</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>你修改了拨号规则，要保存吗？</source>
        <translation>You changed the dialing rules. Save them?</translation>
    </message>
    <message>
        <source>每月计费开始日期</source>
        <translation>Billing month starts on day</translation>
    </message>
    <message>
        <source>每月上网时限</source>
        <translation>Monthly limit</translation>
    </message>
    <message>
        <source>小时</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>每日上网时限</source>
        <translation>Daily limit</translation>
    </message>
    <message>
        <source>每次上网时限</source>
        <translation>Per-call limit</translation>
    </message>
    <message>
        <source>每月流量时限</source>
        <translation>Monthly traffic limit</translation>
    </message>
    <message>
        <source>超时警报</source>
        <translation>When a limit is reached</translation>
    </message>
    <message>
        <source>报警声音</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>弹出信息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>强制挂断</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>当流量低于</source>
        <translation>Below</translation>
    </message>
    <message>
        <source>KB/秒 时为网络空闲</source>
        <translation>KB/s the link is idle</translation>
    </message>
    <message>
        <source>当空闲超过</source>
        <translation>Idle for more than</translation>
    </message>
    <message>
        <source>秒 时采取操作：</source>
        <translation>seconds, then:</translation>
    </message>
    <message>
        <source>自动断开</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>弹出信息提醒</source>
        <translation>Ask</translation>
    </message>
    <message>
        <source>防止掉线</source>
        <translation>Keep alive</translation>
    </message>
    <message>
        <source>电话费</source>
        <translation>Phone fee</translation>
    </message>
    <message>
        <source>元/小时</source>
        <translation>yuan/hour</translation>
    </message>
    <message>
        <source>上网计费方式</source>
        <translation>Charging</translation>
    </message>
    <message>
        <source>包时</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>计时</source>
        <translation>Hourly</translation>
    </message>
    <message>
        <source>包月</source>
        <translation>Flat rate</translation>
    </message>
    <message>
        <source>包时选项</source>
        <translation>Block plan</translation>
    </message>
    <message>
        <source>每月</source>
        <translation>Each month</translation>
    </message>
    <message>
        <source>小时共</source>
        <translation>hours for</translation>
    </message>
    <message>
        <source>元</source>
        <translation>yuan</translation>
    </message>
    <message>
        <source>超时则</source>
        <translation>Beyond that</translation>
    </message>
    <message>
        <source>计时选项</source>
        <translation>Hourly plan</translation>
    </message>
    <message>
        <source>上网费：</source>
        <translation>Fee:</translation>
    </message>
    <message>
        <source>按分钟计费</source>
        <translation>Charge by minute</translation>
    </message>
    <message>
        <source>节假日优惠</source>
        <translation>Holiday discount</translation>
    </message>
    <message>
        <source>特殊时段优惠</source>
        <translation>Discount hours</translation>
    </message>
    <message>
        <source>双休日优惠</source>
        <translation>Weekend discount</translation>
    </message>
    <message>
        <source>折扣：</source>
        <translation>Discount:</translation>
    </message>
    <message>
        <source>设置优惠时段</source>
        <translation>Discount hours</translation>
    </message>
    <message>
        <source>设置节假日</source>
        <translation>Holidays</translation>
    </message>
    <message>
        <source>包月选项</source>
        <translation>Flat rate plan</translation>
    </message>
    <message>
        <source>包月上网费用</source>
        <translation>Monthly fee</translation>
    </message>
    <message>
        <source>元/月</source>
        <translation>yuan/month</translation>
    </message>
    <message>
        <source>包月开始时间</source>
        <translation>Flat rate starts</translation>
    </message>
    <message>
        <source>设置规则、退出程序输入密码</source>
        <translation>Ask the password for rules and exit</translation>
    </message>
    <message>
        <source>保存密码</source>
        <translation>Save password</translation>
    </message>
    <message>
        <source>输入新密码</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>新密码确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>(至少4位)</source>
        <translation>(at least 4)</translation>
    </message>
    <message>
        <source>显示浮动状态窗口</source>
        <translation>Show the floating window</translation>
    </message>
    <message>
        <source>程序启动时自动隐藏窗口</source>
        <translation>Hide the window at start</translation>
    </message>
    <message>
        <source>关闭提示声音</source>
        <translation>Sounds off</translation>
    </message>
    <message>
        <source>网络最大流速:</source>
        <translation>Top speed:</translation>
    </message>
    <message>
        <source>此值的设定将影响窗口中绿色的网络流速图</source>
        <translation>The full height of the green speed graph in the window</translation>
    </message>
    <message>
        <source>升序</source>
        <translation>Oldest first</translation>
    </message>
    <message>
        <source>降序</source>
        <translation>Newest first</translation>
    </message>
    <message>
        <source>拨号历史记录存放顺序：</source>
        <translation>History order:</translation>
    </message>
    <message>
        <source>浮动窗口透明度：</source>
        <translation>Floating window opacity:</translation>
    </message>
    <message>
        <source>开机自动拨号</source>
        <translation>Dial at start</translation>
    </message>
    <message>
        <source>每天自动拨号时间</source>
        <translation>Dial every day at</translation>
    </message>
    <message>
        <source>每天自动断网时间</source>
        <translation>Hang up every day at</translation>
    </message>
    <message>
        <source>断线自动重拨</source>
        <translation>Redial when the link drops</translation>
    </message>
    <message>
        <source>流量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>流量选项</source>
        <translation>Volume plan</translation>
    </message>
    <message>
        <source>MB共</source>
        <translation>MB for</translation>
    </message>
    <message>
        <source>超出则</source>
        <translation>Beyond that</translation>
    </message>
    <message>
        <source>元/MB</source>
        <translation>yuan/MB</translation>
    </message>
    <message>
        <source>登录时启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>桌面通知</source>
        <translation>Desktop notifications</translation>
    </message>
    <message>
        <source>限额提醒</source>
        <translation>Limits</translation>
    </message>
    <message>
        <source>空闲提醒</source>
        <translation>Idle link</translation>
    </message>
    <message>
        <source>链路检测</source>
        <translation>Link check</translation>
    </message>
    <message>
        <source>拨号错误</source>
        <translation>Dial errors</translation>
    </message>
    <message>
        <source>连接和断开</source>
        <translation>Connect and hang-up</translation>
    </message>
</context>
<context>
    <name>vornik::gui::PasswordPrompt</name>
    <message>
        <source>输入密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>(初始密码:qexor)</source>
        <translation>(initial password: qexor)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Wrong password</translation>
    </message>
</context>
<context>
    <name>vornik::gui::SearchDialog</name>
    <message>
        <source>快速搜索</source>
        <translation>Quick search</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>网站</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>关键词</source>
        <translation>Words</translation>
    </message>
</context>
<context>
    <name>vornik::gui::Shell</name>
    <message>
        <source>退出会造成计时计费不准确，继续使用吗？</source>
        <translation>Leaving makes the metering inaccurate. Keep using Vornik?</translation>
    </message>
    <message>
        <source>希望退出时断开连接吗？</source>
        <translation>Hang up on leaving?</translation>
    </message>
    <message>
        <source>拨号记录没有保存：</source>
        <translation>The call log was not saved: </translation>
    </message>
</context>
<context>
    <name>vornik::gui::SingleInstance</name>
    <message>
        <source>Vornik 无法启动：无法建立程序文件夹：</source>
        <translation>Vornik cannot start: cannot make the program folder: </translation>
    </message>
    <message>
        <source>Vornik 无法启动：</source>
        <translation>Vornik cannot start: </translation>
    </message>
    <message>
        <source>程序文件夹中的 %1 是一个文件夹，不是锁文件。请把它删除或改名后再启动。</source>
        <translation>%1 in the program folder is a folder, not a lock file. Remove or rename it, then start again.</translation>
    </message>
    <message>
        <source>程序文件夹 %1 在只读的文件系统上，无法写入锁文件和拨号记录。请用 --root 指定一个可写的文件夹。</source>
        <translation>The program folder %1 is on a read-only file system; the lock file and the call log cannot be written. Choose a writable folder with --root.</translation>
    </message>
    <message>
        <source>没有写入程序文件夹 %1 的权限（%2），无法写入锁文件和拨号记录。请用 --root 指定一个可写的文件夹。</source>
        <translation>No permission to write the program folder %1 (%2); the lock file and the call log cannot be written. Choose a writable folder with --root.</translation>
    </message>
    <message>
        <source>程序文件夹 %1 所在的磁盘已满（%2），无法写入锁文件。请腾出空间后再启动。</source>
        <translation>The disk of the program folder %1 is full (%2); the lock file cannot be written. Free some space, then start again.</translation>
    </message>
    <message>
        <source>无法写入锁文件 %1：%2</source>
        <translation>Cannot write the lock file %1: %2</translation>
    </message>
    <message>
        <source>Vornik 已在运行（程序文件夹 %1），已把它的窗口调到前面。</source>
        <translation>Vornik is already running (program folder %1); its window was brought forward.</translation>
    </message>
    <message>
        <source>Vornik 已在运行（程序文件夹 %1，%2），它在终端中运行，没有窗口可以调到前面。要结束它，请在它的终端中按 Ctrl-C。</source>
        <translation>Vornik is already running (program folder %1, %2) on a terminal, with no window to bring forward. To end it, press Ctrl-C in its terminal.</translation>
    </message>
    <message>
        <source>程序文件夹 %1 被另一个进程（%2）锁定，但它没有应答：它可能已停住，或在另一台计算机上使用这个文件夹。请先结束它再启动。</source>
        <translation>The program folder %1 is locked by another process (%2), which does not answer: it may hang, or use the folder from another computer. End it first, then start again.</translation>
    </message>
    <message>
        <source>进程号不明</source>
        <translation>process unknown</translation>
    </message>
    <message>
        <source>进程 %1</source>
        <translation>process %1</translation>
    </message>
    <message>
        <source>进程 %1，计算机 %2</source>
        <translation>process %1 on %2</translation>
    </message>
</context>
<context>
    <name>vornik::gui::SkinMenu</name>
    <message>
        <source>系统风格</source>
        <translation>System style</translation>
    </message>
    <message>
        <source>定制...</source>
        <translation>Customise...</translation>
    </message>
    <message>
        <source>黑色金属</source>
        <translation>Black Metal</translation>
    </message>
    <message>
        <source>青涩年华</source>
        <translation>Green Years</translation>
    </message>
    <message>
        <source>蓝色畅想</source>
        <translation>Blue Fantasy</translation>
    </message>
</context>
<context>
    <name>vornik::gui::TableEditor</name>
    <message>
        <source>开始时间</source>
        <translation>Begin</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End</translation>
    </message>
    <message>
        <source>折扣</source>
        <translation>Discount</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>节日名称</source>
        <translation>Holiday</translation>
    </message>
    <message>
        <source>天数</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>节日名称:</source>
        <translation>Holiday:</translation>
    </message>
    <message>
        <source>开始日期:</source>
        <translation>Begins:</translation>
    </message>
    <message>
        <source>持续时间：</source>
        <translation>Lasts:</translation>
    </message>
    <message>
        <source>享受折扣：</source>
        <translation>Discount:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>vornik::gui::TariffComparisonWindow</name>
    <message>
        <source>资费比较</source>
        <translation>Compare tariffs</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1（现有费率）</source>
        <translation>%1 (your rates)</translation>
    </message>
    <message>
        <source>选择规则文件...</source>
        <translation>Choose a rule file...</translation>
    </message>
    <message>
        <source>yyyy&apos;年&apos;M&apos;月&apos;</source>
        <translation>yyyy-MM</translation>
    </message>
    <message>
        <source>比较：</source>
        <translation>Compare with:</translation>
    </message>
    <message>
        <source>截至</source>
        <translation>Up to</translation>
    </message>
    <message>
        <source>共</source>
        <translation>over</translation>
    </message>
    <message>
        <source>个账单月</source>
        <translation>billing months</translation>
    </message>
    <message>
        <source>账单月</source>
        <translation>Billing month</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Calls</translation>
    </message>
    <message>
        <source>记录费用</source>
        <translation>Recorded</translation>
    </message>
    <message>
        <source>比较费用</source>
        <translation>Compared</translation>
    </message>
    <message>
        <source>差额</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>选择规则文件</source>
        <translation>Choose a rule file</translation>
    </message>
    <message>
        <source>Vornik规则文件(*.ini)</source>
        <translation>Vornik rule files (*.ini)</translation>
    </message>
    <message>
        <source>规则文件 %1</source>
        <translation>Rule file %1</translation>
    </message>
    <message>
        <source>%1 的拨号记录：记录费用是记录中的费用，比较费用是按%2计算的费用。</source>
        <translation>Calls of %1: Recorded is the fee in the log, Compared is the fee under %2.</translation>
    </message>
    <message>
        <source>合计</source>
        <translation>Total</translation>
    </message>
</context>
</TS>
