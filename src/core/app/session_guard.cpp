// The session's guard over a running link: usage limits, idle spells, the timed
// dial and hang-up, and the link check.
#include "app/session.h"
#include "base/saturating.h"
#include "base/setting_keys.h"

namespace vornik {
namespace {

constexpr const char* kNetworkIdle = "网络空闲....";

}  // namespace

// In the order of NoticeKind.
void Session::ReadNoticeSwitches() {
    using namespace keys;
    std::size_t kind = 0;
    for (const SettingKey& key :
         {kNotifyLimits, kNotifyIdle, kNotifyLinkCheck, kNotifyDialErrors, kNotifyConnection}) {
        guard_.notices.at(kind++) = settings_.IsOn(key);
    }
}

// The timed dial and hang-up act on the dialer directly, as the user asked for
// that moment; each fires once in its minute.
void Session::RunSchedule(const Moment& now) {
    const std::string minute = MomentText(now).substr(0, 16);
    if (guard_.timedDial.Matches(now) && !dialer_.IsConnected() && lastScheduledDial_ != minute) {
        lastScheduledDial_ = minute;
        dialer_.Connect();
    }
    if (guard_.timedHangUp.Matches(now) && dialer_.IsConnected() &&
        lastScheduledHangUp_ != minute) {
        lastScheduledHangUp_ = minute;
        dialer_.HangUp();
    }
}

// A dead link is dialled again; a link that is up but cannot reach the test host
// is hung up, so that a later check dials it again.
void Session::LinkCheck() {
    ShowStatus("检查GPRS/ADSL链路");
    if (!dialer_.IsConnected()) {
        ShowAndAnnounce(NoticeKind::kLinkCheck, "连接已经断开，重新建立连接。");
        linkFoundDown_ = true;
        Dial(false);
        return;
    }
    // With no host to probe there is nothing that could show the link broken.
    if (guard_.checkHost.empty()) {
        OnLinkProbed(PingOutcome::kUp);
        return;
    }
    if (linkProbePending_) {
        return;
    }
    linkProbePending_ = true;
    std::weak_ptr<bool> alive = alive_;
    probe_.PingHost(guard_.checkHost, [this, alive](PingOutcome outcome) {
        if (alive.lock()) {
            OnLinkProbed(outcome);
        }
    });
}

void Session::OnLinkProbed(PingOutcome outcome) {
    linkProbePending_ = false;
    if (outcome == PingOutcome::kUp) {
        constexpr const char* kLinkWell = "GPRS/ADSL连接正常";
        ShowStatus(kLinkWell);
        if (linkFoundDown_) {
            linkFoundDown_ = false;
            Announce(NoticeKind::kLinkCheck, kLinkWell);
        }
        return;
    }
    ShowAndAnnounce(NoticeKind::kLinkCheck, "GPRS/ADSL连接已经断开.....");
    linkFoundDown_ = true;
    if (dialer_.IsConnected()) {
        dialer_.HangUp();
    }
}

// ---- Limits ----------------------------------------------------------------

LimitKind Session::CheckLimits() {
    const LimitUsage usage{call_.isConnected,
                           call_.callSeconds,
                           SaturatingAdd(call_.callBytesIn, call_.callBytesOut),
                           totals_.billingMonthSeconds,
                           totals_.todaySeconds,
                           totals_.billingMonthBytes};
    const LimitKind kind = ::vornik::CheckLimits(rules_, usage);
    if (kind != LimitKind::kNone) {
        ShowLimitAlert(kind);
    }
    // A dial refused for a limit is always told: the user asked for something.
    if (kind != limitAnnounced_ || (kind != LimitKind::kNone && !call_.isConnected)) {
        limitAnnounced_ = kind;
        if (kind != LimitKind::kNone) {
            Announce(NoticeKind::kLimit, LimitMessage(kind));
        }
    }
    return kind;
}

// Sound, hang-up and message start in this order and none waits for the others;
// while a cap stays reached the alert repeats each second, but a message already
// open is not stacked with another.
void Session::ShowLimitAlert(LimitKind kind) {
    if (guard_.limitAlerts.sound) {
        PlaySound(kind == LimitKind::kMonthlyVolume ? Sound::kVolumeOut : Sound::kTimeout);
    }
    if (guard_.limitAlerts.disconnect && call_.isConnected) {
        DialDisconnect();
    }
    if (guard_.limitAlerts.message && !limitMessageOpen_) {
        limitMessageOpen_ = true;
        std::weak_ptr<bool> alive = alive_;
        ui_.ShowMessage(LimitMessage(kind), [this, alive] {
            if (alive.lock()) {
                limitMessageOpen_ = false;
            }
        });
    }
}

// ---- Idle ------------------------------------------------------------------

void Session::CheckIdle() {
    const IdleStep step =
        idle_.Check(dialer_.IsConnected(), speed_.NewestDown(), speed_.NewestUp(),
                    rules_.maxSpeedForIdle, rules_.idleTimeMax, clock_.MonotonicMs());
    if (step.spellEnded) {
        ShowStatus("网络接通");
        ui_.ShowLinkIcons(LinkIcons::kConnected);
    }
    if (step.spellBegan) {
        ShowStatus(kNetworkIdle);
        ui_.ShowLinkIcons(LinkIcons::kIdle);
    }
    if (step.soundDue) {
        PlaySound(Sound::kIdle);
        Announce(NoticeKind::kIdle, kNetworkIdle);
    }
    if (step.timedOut) {
        TakeIdleAction();
    }
}

void Session::TakeIdleAction() {
    switch (rules_.idleTimeOutAction) {
        case 0:
            DialDisconnect();
            idle_.EndSpell();
            ShowAndAnnounce(NoticeKind::kIdle, "空闲超时，网络断开。");
            break;
        case 1:
            AskWhetherToHangUpIdleLink();
            break;
        default:
            probe_.SendKeepAlive(guard_.keepAliveHost);
            break;
    }
}

// The question stays open while ticks go on; it is asked once at a time, and a
// Cancel makes the wait start again from the answer. An answer that comes after
// its call has ended is about a link that is gone: it must not end the next one.
void Session::AskWhetherToHangUpIdleLink() {
    if (idleQuestionOpen_) {
        return;
    }
    idleQuestionOpen_ = true;
    std::weak_ptr<bool> alive = alive_;
    const int askedDuringCall = callSerial_;
    constexpr const char* kHangUpIdleLink = "网络空闲超时，断开网络吗？";
    Announce(NoticeKind::kIdle, kHangUpIdleLink);
    ui_.AskOkCancel(kHangUpIdleLink, [this, alive, askedDuringCall](bool ok) {
        if (!alive.lock()) {
            return;
        }
        idleQuestionOpen_ = false;
        if (askedDuringCall != callSerial_ || !call_.isConnected) {
            return;
        }
        if (!ok) {
            idle_.RestartWait(clock_.MonotonicMs());
            return;
        }
        if (dialer_.IsConnected()) {
            DialDisconnect();
        }
        idle_.EndSpell();
        ShowStatus("空闲超时，用户中断。");
    });
}

}  // namespace vornik
