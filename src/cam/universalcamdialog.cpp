#include "universalcamdialog.h"

#include "app/dialogtexts.h"
#include "app/userprompt.h"
#include "camtransfer.h"
#include "resources/catalogue.h"
#include "universalcameditor.h"
#include "universalcamfile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

UniversalCamDialog::UniversalCamDialog(UserPrompt &prompt, QWidget *parent)
    : QDialog(parent)
    , m_prompt(prompt)
    , m_new(new QRadioButton(this))
    , m_edit(new QRadioButton(this))
    , m_path(new QLineEdit(this))
{
    auto *refer = new QPushButton(this);
    auto *next = new QPushButton(this);
    auto *cancel = new QPushButton(this);
    DialogTexts::tag(m_new, 1001);
    DialogTexts::tag(m_edit, 1002);
    DialogTexts::tag(refer, 1003);
    DialogTexts::tag(next, 1004);
    DialogTexts::tag(cancel, 2);
    m_new->setChecked(true);
    m_path->setMinimumWidth(260);
    refer->setAutoDefault(false);
    cancel->setAutoDefault(false);
    next->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(m_new, 0, 0);
    grid->addWidget(m_edit, 1, 0);
    grid->addWidget(m_path, 1, 1);
    grid->addWidget(refer, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(refer, &QPushButton::clicked, this, &UniversalCamDialog::browse);
    connect(next, &QPushButton::clicked, this, &UniversalCamDialog::next);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_path, &QLineEdit::textEdited, this, [this] { m_edit->setChecked(true); });
    DialogTexts::apply(this, 226);
}

void UniversalCamDialog::browse()
{
    UserPrompt::FileRequest request =
        CamTransfer::fileRequest(CamTransfer::FileKind::Universal, false);
    request.initialName = m_path->text();
    const QString path = m_prompt.chooseFile(request);
    if (path.isEmpty())
        return;
    m_path->setText(path);
    m_edit->setChecked(true);
}

bool UniversalCamDialog::next()
{
    CamLaw::Times times = CamLaw::defaultTimes();
    QString path;
    if (m_edit->isChecked()) {
        path = m_path->text();
        bool opened = false;
        const std::optional<CamLaw::Times> read = UniversalCamFile::read(path, &opened);
        if (!read) {
            m_prompt.message(path + QLatin1Char('\n') +
                             Catalogue::instance().string(opened ? 124 : 109));
            return false;
        }
        times = *read;
    }
    UniversalCamEditor editor(m_prompt, this);
    editor.setTimes(times, path);
    if (m_runEditor)
        m_runEditor(editor);
    else
        editor.exec();
    accept();
    return true;
}
