#include "universalcameditor.h"

#include "app/dialogtexts.h"
#include "app/userprompt.h"
#include "camgraphdialog.h"
#include "camtransfer.h"
#include "resources/catalogue.h"
#include "universalcamfile.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString shown(double value)
{
    return QString::asprintf("%10.7f", value);
}

} // namespace

UniversalCamEditor::UniversalCamEditor(UserPrompt &prompt, QWidget *parent)
    : QDialog(parent)
    , m_prompt(prompt)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto *grid = new QGridLayout;
    for (int time = 0; time < CamLaw::TimeCount; ++time) {
        auto *label = new QLabel(this);
        DialogTexts::tag(label, 1501 + time);
        auto *edit = new QLineEdit(this);
        edit->setFont(fixed);
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00.00000000")) +
                              12);
        label->setBuddy(edit);
        // T0 and T7 are the ends of the rise.
        if (time == CamLaw::T0 || time == CamLaw::T7)
            edit->setReadOnly(true);
        // Two columns: T0 … T4 and T5 … Tce.
        const int row = time % 5;
        const int column = time / 5 * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        m_fields.append(edit);
        connect(edit, &QLineEdit::returnPressed, this, [this] { enter(); });
    }
    grid->setColumnMinimumWidth(2, 40);

    auto *enterButton = new QPushButton(this);
    auto *graph = new QPushButton(this);
    auto *saveButton = new QPushButton(this);
    auto *exit = new QPushButton(this);
    DialogTexts::tag(enterButton, 1048);
    DialogTexts::tag(graph, 1004);
    DialogTexts::tag(saveButton, 1005);
    DialogTexts::tag(exit, 1);
    for (QPushButton *button : {enterButton, graph, saveButton})
        button->setAutoDefault(false);
    exit->setAutoDefault(false);
    connect(enterButton, &QPushButton::clicked, this, [this] { enter(); });
    connect(graph, &QPushButton::clicked, this, &UniversalCamEditor::showGraph);
    connect(saveButton, &QPushButton::clicked, this, &UniversalCamEditor::save);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(enterButton);
    buttons->addStretch();
    buttons->addWidget(graph);
    buttons->addWidget(saveButton);
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogTexts::apply(this, 227);
    setTimes(CamLaw::defaultTimes(), QString());
}

void UniversalCamEditor::setTimes(const CamLaw::Times &times, const QString &path)
{
    m_path = path;
    for (int time = 0; time < CamLaw::TimeCount; ++time)
        m_fields.at(time)->setText(shown(times[time]));
    m_fields.at(CamLaw::T0)->setText(shown(0.0));
    m_fields.at(CamLaw::T7)->setText(shown(1.0));
}

std::optional<CamLaw::Times> UniversalCamEditor::enter()
{
    CamLaw::Times times{};
    for (int time = 0; time < CamLaw::TimeCount; ++time) {
        bool ok = false;
        const QString typed = m_fields.at(time)->text().trimmed();
        times[time] = typed.toDouble(&ok);
        if (!ok || !std::isfinite(times[time])) {
            m_prompt.message(Catalogue::instance().format(1164, {typed}));
            m_fields.at(time)->setFocus();
            m_fields.at(time)->selectAll();
            return std::nullopt;
        }
    }
    times[CamLaw::T0] = 0.0;
    times[CamLaw::T7] = 1.0;
    for (int time = 0; time < CamLaw::TimeCount; ++time)
        m_fields.at(time)->setText(shown(times[time]));
    return times;
}

std::optional<CamLaw> UniversalCamEditor::law()
{
    const std::optional<CamLaw::Times> times = enter();
    if (!times)
        return std::nullopt;
    std::optional<CamLaw> law = CamLaw::fromTimes(*times);
    if (!law)
        m_prompt.message(Catalogue::instance().string(1160));
    return law;
}

bool UniversalCamEditor::showGraph()
{
    const std::optional<CamLaw> computed = law();
    if (!computed)
        return false;
    CamGraphDialog graph(this);
    const QString cdt = m_path.isEmpty() ? QString() : UniversalCamFile::profilePath(m_path);
    graph.setProfile(UniversalCamFile::profileFor(*computed, cdt));
    if (m_runGraph)
        m_runGraph(graph);
    else
        graph.exec();
    return true;
}

bool UniversalCamEditor::save()
{
    const std::optional<CamLaw::Times> times = enter();
    if (!times)
        return false;
    if (!CamLaw::isValid(*times)) {
        m_prompt.message(Catalogue::instance().string(1160));
        return false;
    }
    UserPrompt::FileRequest request =
        CamTransfer::fileRequest(CamTransfer::FileKind::Universal, true);
    request.initialName = m_path;
    const QString path = m_prompt.chooseFile(request);
    if (path.isEmpty())
        return false;
    QString message;
    const bool saved = UniversalCamFile::save(path, *times, &message);
    m_prompt.message(message);
    if (saved)
        m_path = path;
    return saved;
}
