#include "backupdialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/mainmenuwindow.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 182;
constexpr int okButton = 1;
constexpr int motorUpload = 1138;
constexpr int motorDownload = 1139;
constexpr int userUpload = 1005;
constexpr int userDownload = 1004;
constexpr int motorGroup = 1501;
constexpr int userGroup = 1502;

// The name of a section by its code (own texts 1206 onwards, in the order of
// the codes 4 to 10).
QString sectionName(int code)
{
    return Catalogue::instance().string(1206 + code - BackupIndex::Parameters);
}
} // namespace

BackupDialog::BackupDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_userData(link, *m_dialogPrompt)
    , m_motorData(link, *m_dialogPrompt)
    , m_lamp(makeActivityLamp(this))
    , m_progressLabel(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
{
    auto *motor = new QGroupBox(this);
    DialogTexts::tag(motor, motorGroup);
    auto *motorButtons = new QHBoxLayout(motor);
    motorButtons->addWidget(addButton(motorUpload));
    motorButtons->addWidget(addButton(motorDownload));

    auto *user = new QGroupBox(this);
    DialogTexts::tag(user, userGroup);
    auto *userButtons = new QHBoxLayout(user);
    userButtons->addWidget(addButton(userUpload));
    userButtons->addWidget(addButton(userDownload));

    QPushButton *ok = addButton(okButton);
    ok->setDefault(true);

    m_progressLabel->setMinimumWidth(320);
    m_progressBar->setTextVisible(false);
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);

    auto *layout = new QGridLayout(this);
    layout->addWidget(motor, 0, 0);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(user, 1, 0);
    layout->addWidget(ok, 1, 1, Qt::AlignBottom);
    layout->addWidget(m_progressLabel, 2, 0, 1, 2);
    layout->addWidget(m_progressBar, 3, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(motorUpload), &QPushButton::clicked, &m_motorData,
            &MotorDataTransfer::upload);
    connect(m_buttons.value(motorDownload), &QPushButton::clicked, &m_motorData,
            &MotorDataTransfer::download);
    connect(m_buttons.value(userUpload), &QPushButton::clicked, &m_userData,
            &BackupTransfer::backup);
    connect(m_buttons.value(userDownload), &QPushButton::clicked, &m_userData,
            &BackupTransfer::restore);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_userData, &BackupTransfer::busyChanged, this, &BackupDialog::setBusy);
    connect(&m_motorData, &MotorDataTransfer::busyChanged, this, &BackupDialog::setBusy);
    followActivity(m_lamp, &m_userData);
    followActivity(m_lamp, &m_motorData);
    connect(&m_userData, &BackupTransfer::progress, this,
            [this](int index, int count, int code, const QString &item) {
                showProgress(index, count, sectionName(code), item);
            });
    connect(&m_motorData, &MotorDataTransfer::progress, this,
            [this](int index, int count, const QString &item) {
                showProgress(index, count, Catalogue::instance().string(1213 + index), item);
            });

    DialogTexts::apply(this, dialogId);
    m_progressLabel->setText(Catalogue::instance().string(1215));
}

BackupDialog::~BackupDialog()
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.popOwner();
    }
}

QPushButton *BackupDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void BackupDialog::setPrompt(UserPrompt *prompt)
{
    UserPrompt &chosen = prompt ? *prompt : *m_dialogPrompt;
    m_userData.setPrompt(chosen);
    m_motorData.setPrompt(chosen);
}

QString BackupDialog::progressText() const
{
    return m_progressLabel->text();
}

int BackupDialog::progressValue() const
{
    return m_progressBar->value();
}

void BackupDialog::onLinkReply(const QByteArray &line)
{
    if (m_motorData.isBusy())
        m_motorData.onLinkReply(line);
    else
        m_userData.onLinkReply(line);
}

void BackupDialog::onLinkTimeout()
{
    if (m_motorData.isBusy())
        m_motorData.onLinkTimeout();
    else
        m_userData.onLinkTimeout();
}

void BackupDialog::showEvent(QShowEvent *event)
{
    if (!m_ownsLink) {
        m_ownsLink = m_link.pushOwner(this);
        m_link.open();
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void BackupDialog::done(int result)
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
    }
    QDialog::done(result);
}

void BackupDialog::reject()
{
    if (m_userData.isBusy() || m_motorData.isBusy())
        return;
    QDialog::reject();
}

void BackupDialog::setBusy(bool busy)
{
    showCommModeWindow(!busy);
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    if (busy) {
        m_progressBar->setRange(0, 1);
        m_progressBar->setValue(0);
    } else {
        m_progressBar->setValue(m_progressBar->maximum());
        m_progressLabel->setText(Catalogue::instance().string(1215));
        m_buttons.value(okButton)->setFocus();
        activateWindow();
    }
}

void BackupDialog::showProgress(int index, int count, const QString &section, const QString &item)
{
    m_progressBar->setRange(0, qMax(1, count));
    m_progressBar->setValue(index);
    QString line = Catalogue::instance().format(1205, {index + 1, count, section});
    if (!item.isEmpty())
        line += QStringLiteral(" — ") + item;
    m_progressLabel->setText(line);
}
