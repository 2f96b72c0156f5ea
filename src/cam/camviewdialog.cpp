#include "camviewdialog.h"

#include "app/dialogtexts.h"
#include "camgraphdialog.h"
#include "camtransfer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

CamViewDialog::CamViewDialog(CamTransfer &transfer, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent)
    , m_transfer(transfer)
    , m_prompt(prompt)
    , m_driver(new QRadioButton(this))
    , m_file(new QRadioButton(this))
    , m_number(new QSpinBox(this))
    , m_path(new QLineEdit(this))
    , m_refer(new QPushButton(this))
    , m_graph(new QPushButton(this))
    , m_exit(new QPushButton(this))
{
    DialogTexts::tag(m_driver, 1001);
    DialogTexts::tag(m_file, 1002);
    DialogTexts::tag(m_refer, 1003);
    DialogTexts::tag(m_graph, 1004);
    DialogTexts::tag(m_exit, 1);
    m_driver->setChecked(true);
    m_number->setRange(CamProfile::LowestNumber, CamProfile::HighestNumber);
    m_path->setMinimumWidth(260);
    m_refer->setAutoDefault(false);
    m_graph->setDefault(true);
    m_exit->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->addWidget(m_driver, 0, 0);
    grid->addWidget(m_number, 0, 1, Qt::AlignLeft);
    grid->addWidget(m_file, 1, 0);
    grid->addWidget(m_path, 1, 1);
    grid->addWidget(m_refer, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_graph);
    buttons->addWidget(m_exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_refer, &QPushButton::clicked, this, &CamViewDialog::browse);
    connect(m_graph, &QPushButton::clicked, this, &CamViewDialog::showGraph);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_path, &QLineEdit::textEdited, this, [this] { m_file->setChecked(true); });
    connect(&m_transfer, &CamTransfer::busyChanged, this, &CamViewDialog::setBusy);
    connect(&m_transfer, &CamTransfer::finished, this, [this](CamTransfer::Outcome outcome) {
        if (!m_reading)
            return;
        m_reading = false;
        if (outcome == CamTransfer::Outcome::Succeeded)
            openGraph(m_transfer.profile());
    });
    DialogTexts::apply(this, 225);
}

void CamViewDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void CamViewDialog::setBusy(bool busy)
{
    for (QWidget *widget : {static_cast<QWidget *>(m_refer), static_cast<QWidget *>(m_graph),
                            static_cast<QWidget *>(m_exit)})
        widget->setEnabled(!busy);
}

void CamViewDialog::browse()
{
    UserPrompt::FileRequest request =
        CamTransfer::fileRequest(CamTransfer::FileKind::Profile, false);
    request.initialName = m_path->text();
    const QString path = m_prompt.chooseFile(request);
    if (path.isEmpty())
        return;
    m_path->setText(path);
    m_file->setChecked(true);
}

void CamViewDialog::showGraph()
{
    if (m_transfer.isBusy())
        return;
    if (m_driver->isChecked()) {
        m_reading = true;
        m_transfer.read(m_number->value());
        return;
    }
    CamProfile profile;
    const QString problem = CamTransfer::loadProfile(m_path->text(), &profile);
    if (!problem.isEmpty()) {
        m_prompt.message(problem);
        return;
    }
    openGraph(profile);
}

void CamViewDialog::openGraph(const CamProfile &profile)
{
    if (m_openGraph) {
        m_openGraph(profile);
        return;
    }
    CamGraphDialog graph(this);
    graph.setProfile(profile);
    graph.exec();
}
