#include "versiondialog.h"

#include "appsettings.h"
#include "dialogtexts.h"
#include "resources/catalogue.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

VersionDialog::VersionDialog(QWidget *parent)
    : QDialog(parent)
{
    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(Catalogue::instance().iconPath()).pixmap(48, 48));
    auto *title = new QLabel(this);
    DialogTexts::tag(title, 1501);
    title->setObjectName(QStringLiteral("versionTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *purpose = new QLabel(this);
    DialogTexts::tag(purpose, 1502);
    auto *rom = new QLabel(this);
    rom->setObjectName(QStringLiteral("romVersion"));
    const QString romText = AppSettings::instance().romVersion();
    rom->setText(romText.isEmpty() ? QString() : QStringLiteral("ROM: %1").arg(romText));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(purpose);
    text->addWidget(rom);
    text->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    DialogTexts::apply(this, 100);
    title->setText(titleText(title->text()));
    setMinimumWidth(320);
}

QString VersionDialog::titleText(const QString &resourceText)
{
    static const QRegularExpression number(QStringLiteral("\\s*\\d+(\\.\\d+)*\\s*$"));
    QString text = resourceText.trimmed();
    text.remove(number);
    if (text.isEmpty())
        text = Catalogue::instance().string(267);
    return text + QLatin1Char(' ') + QStringLiteral(TORVANE_VERSION);
}

int VersionDialog::run(int autoCloseMs)
{
    if (autoCloseMs > 0)
        QTimer::singleShot(autoCloseMs, this, &QDialog::accept);
    return exec();
}
