#include "backupdialog.h"

#include "app/dialogtexts.h"
#include "app/mainmenuwindow.h"
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
    : FeatureMenuDialog(parent)
    , m_userData(link, prompt())
    , m_motorData(link, prompt())
    , m_linkHold(link, *this)
    , m_progressLabel(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
{
    QLabel *lamp = addLamp();
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
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(user, 1, 0);
    layout->addWidget(ok, 1, 1, Qt::AlignBottom);
    layout->addWidget(m_progressLabel, 2, 0, 1, 2);
    layout->addWidget(m_progressBar, 3, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(motorUpload), &QPushButton::clicked, &m_motorData, &MotorDataTransfer::upload);
    connect(button(motorDownload), &QPushButton::clicked, &m_motorData,
            &MotorDataTransfer::download);
    connect(button(userUpload), &QPushButton::clicked, &m_userData, &BackupTransfer::backup);
    connect(button(userDownload), &QPushButton::clicked, &m_userData, &BackupTransfer::restore);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    follow(m_userData);
    follow(m_motorData);
    setLinkHold(&m_linkHold);
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

BackupDialog::~BackupDialog() = default;

void BackupDialog::promptChanged(UserPrompt *)
{
    m_userData.setPrompt(prompt());
    m_motorData.setPrompt(prompt());
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

void BackupDialog::setBusy(bool busy)
{
    showCommModeWindow(!busy);
    enableButtons(!busy);
    if (busy) {
        m_progressBar->setRange(0, 1);
        m_progressBar->setValue(0);
    } else {
        m_progressBar->setValue(m_progressBar->maximum());
        m_progressLabel->setText(Catalogue::instance().string(1215));
        focusExit();
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
