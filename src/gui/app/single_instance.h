// One instance per program folder: a lock file in the folder, and a local socket
// through which a second start asks the first one to come forward.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace vornik::gui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first; otherwise the first one has been asked
    // to come forward and this one should end without touching the log.
    bool Claim();

  signals:
    void activationRequested();

  private:
    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace vornik::gui
