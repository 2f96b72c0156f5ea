#pragma once

#include <QLockFile>
#include <QObject>

#include <memory>

class QLocalServer;

// One copy of the program at a time. The lock file survives a crashed
// holder (a stale lock is taken over); a second copy asks the first, through
// a local socket, to raise its window, and then ends without writing.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the first; then it listens for later copies.
    bool acquire();
    // Asks the running copy to come to the front; false when none answers.
    bool raiseRunning() const;

Q_SIGNALS:
    void raiseRequested();

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
