#include "commands/instance_requests.h"

#include <algorithm>
#include <vector>

#include "app/live_status.h"

namespace vornik::gui {
namespace {

std::string Status(Session& session, const Clock& clock, const std::string& form) {
    const std::string line = form == "text"
                                 ? CompactStatusLine(session.Figures(), clock.Now(), PlainNumber)
                                 : StatusObject(session.Figures(), clock.Now(), true);
    return line.substr(0, line.find_last_not_of('\n') + 1);
}

std::string Dial(Session& session, const std::string& entry) {
    if (session.LinkUp()) {
        return "error 已经连接，请先断开。";
    }
    if (!entry.empty()) {
        const std::vector<std::string> names = session.FillEntryList();
        if (std::find(names.begin(), names.end(), entry) == names.end()) {
            return "error 没有名为 " + entry + " 的连接。";
        }
        session.ChangeEntry(entry);
    }
    session.Dial();
    return "ok";
}

}  // namespace

std::string StatusObject(const LiveFigures& figures, const Moment& now, bool running) {
    JsonWriter json(0);
    json.BeginObject();
    WriteLiveStatus(json, figures, now);
    json.Key("running").Bool(running);
    json.EndObject();
    return json.Text();
}

std::string AnswerInstanceRequest(Session& session, const Clock& clock, const std::string& verb,
                                  const std::string& argument) {
    if (verb == "status") {
        return Status(session, clock, argument);
    }
    if (verb == "dial") {
        return Dial(session, argument);
    }
    session.DialDisconnect();
    return "ok";
}

}  // namespace vornik::gui
