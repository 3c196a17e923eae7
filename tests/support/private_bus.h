// A dbus-daemon of the test's own with one of python3-dbusmock's templates on it:
// the system's services as the test scripts them, and nobody else's bus touched.
#pragma once

#include <signal.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <memory>
#include <string>

namespace vornik::testing {

class PrivateBus {
  public:
    static constexpr int kWaitMs = 20000;

    ~PrivateBus() { Stop(); }

    // Whether this machine has what it takes; a test without it is skipped.
    static bool Available() {
        return !QStandardPaths::findExecutable("dbus-daemon").isEmpty() &&
               QFileInfo::exists(kPython) &&
               QProcess::execute(kPython, {"-c", "import dbusmock"}) == 0;
    }

    // Starts the daemon, then the template, which takes the daemon for the bus
    // that `busVariable` names (DBUS_SYSTEM_BUS_ADDRESS, DBUS_SESSION_BUS_ADDRESS),
    // and waits until `service` answers. Empty when all is up, else what is not.
    std::string Start(const QString& mockTemplate, const char* busVariable,
                      const QString& service) {
        daemon_.start(QStandardPaths::findExecutable("dbus-daemon"),
                      {"--session", "--print-address", "--nofork"});
        if (!daemon_.waitForReadyRead(kWaitMs)) {
            return "dbus-daemon did not start";
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, kName));
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(busVariable, address_);
        mock_.setProcessEnvironment(environment);
        // It prints every call it gets: unread, the pipe would fill up and stop it.
        mock_.setStandardOutputFile(QProcess::nullDevice());
        mock_.start(kPython, {"-m", "dbusmock", "--template", mockTemplate});
        if (!QTest::qWaitFor([&] { return bus_->interface()->isServiceRegistered(service); },
                             kWaitMs)) {
            return "the " + mockTemplate.toStdString() +
                   " mock did not come up: " + mock_.readAllStandardError().toStdString();
        }
        return {};
    }

    // The template first; a mock that the test stopped is let go on to end.
    void Stop() {
        if (mock_.state() == QProcess::Running) {
            kill(static_cast<pid_t>(mock_.processId()), SIGCONT);
        }
        bus_.reset();
        QDBusConnection::disconnectFromBus(kName);
        for (QProcess* process : {&mock_, &daemon_}) {
            process->terminate();
            if (!process->waitForFinished(kWaitMs)) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    const QString& Address() const { return address_; }
    // The test's own connection to the bus.
    QDBusConnection& Bus() { return *bus_; }
    QProcess& Mock() { return mock_; }

  private:
    static inline const QString kPython = QStringLiteral("/usr/bin/python3");
    static inline const QString kName = QStringLiteral("private-bus-test");

    QProcess daemon_;
    QProcess mock_;
    QString address_;
    std::unique_ptr<QDBusConnection> bus_;
};

}  // namespace vornik::testing
