#pragma once

#include <QByteArray>
#include <QObject>

// The virtual drive: plays the drive's side of the line protocol. Bytes from
// the tool arrive through receive(); everything the drive sends leaves through
// transmit(), possibly in several chunks. Replies are always sent from the
// event loop, never from inside receive().
class VirtualDrive : public QObject
{
    Q_OBJECT
public:
    explicit VirtualDrive(QObject *parent = nullptr);
    ~VirtualDrive() override;

    void receive(const QByteArray &bytes);

Q_SIGNALS:
    void transmit(const QByteArray &bytes);
};
