#include "accuracytabledialog.h"

#include "accuracygraphdialog.h"
#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/parametergrid.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"
#include "tablefile.h"
#include "tablenumberdialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int openButton = 1008;
constexpr int saveButton = 1009;
constexpr int setButton = 1010;
constexpr int clearButton = 1006;
constexpr int enterButton = 1048;
constexpr int graphButton = 1011;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;
constexpr int dialogId = 248;
} // namespace

AccuracyTableDialog::AccuracyTableDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_transfer(link, *m_dialogPrompt)
    , m_grid(new ParameterGrid(this))
    , m_edit(new QLineEdit(this))
    , m_lamp(new QLabel(this))
    , m_graph(new AccuracyGraphDialog(this))
{
    const Catalogue &catalogue = Catalogue::instance();
    m_grid->setColumns({{catalogue.controlText(dialogId, 1501), 90},
                        {catalogue.controlText(dialogId, 1502), 120}});
    m_grid->setEditColumn(1);
    m_grid->attachEditor(m_edit);
    m_grid->setValidator([](const QString &text) -> std::optional<QString> {
        const std::optional<QByteArray> value = TableFile::boundedValue(text.toLatin1());
        return value ? std::optional<QString>(QString::fromLatin1(*value)) : std::nullopt;
    });
    m_grid->setMinimumSize(230, 320);
    connect(m_grid, &ParameterGrid::editRejected, this,
            [this] { m_prompt->message(Catalogue::instance().string(189)); });
    m_edit->setMaxLength(11);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *buttons = new QVBoxLayout;
    for (int id : {downloadButton, uploadButton, openButton, saveButton, setButton, clearButton,
                   graphButton, resetButton})
        buttons->addWidget(addButton(id));
    buttons->addStretch();
    buttons->addWidget(m_lamp, 0, Qt::AlignRight);
    QPushButton *exit = addButton(exitButton);
    buttons->addWidget(exit);

    auto *editRow = new QHBoxLayout;
    editRow->addWidget(m_edit);
    editRow->addWidget(addButton(enterButton));

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_grid, 0, 0);
    layout->addLayout(editRow, 1, 0);
    layout->addLayout(buttons, 0, 1, 2, 1);

    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            [this] { m_transfer.download(entries()); });
    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this, [this] {
        m_uploading = true;
        m_transfer.upload();
    });
    connect(m_buttons.value(openButton), &QPushButton::clicked, this,
            &AccuracyTableDialog::openFile);
    connect(m_buttons.value(saveButton), &QPushButton::clicked, this,
            &AccuracyTableDialog::saveFile);
    connect(m_buttons.value(setButton), &QPushButton::clicked, this,
            &AccuracyTableDialog::chooseSize);
    connect(m_buttons.value(clearButton), &QPushButton::clicked, this,
            [this] { setEntries(QByteArrayList(entries().size(), "0")); });
    connect(m_buttons.value(enterButton), &QPushButton::clicked, m_grid,
            &ParameterGrid::commitEdit);
    connect(m_buttons.value(graphButton), &QPushButton::clicked, this, [this] {
        m_graph->setEntries(entries());
        m_graph->exec();
    });
    connect(m_buttons.value(resetButton), &QPushButton::clicked, &m_transfer,
            &AccuracyTableTransfer::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &AccuracyTableTransfer::busyChanged, this, &AccuracyTableDialog::setBusy);
    connect(&m_transfer, &AccuracyTableTransfer::lampToggled, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(&m_transfer, &AccuracyTableTransfer::lampIdle, this, [this] { setLampIdle(m_lamp); });
    connect(&m_transfer, &AccuracyTableTransfer::finished, this,
            [this](AccuracyTableTransfer::Outcome outcome) {
                // A failed reading leaves the grid as it was.
                if (m_uploading && outcome == AccuracyTableTransfer::Outcome::Succeeded)
                    setEntries(m_transfer.entries());
                m_uploading = false;
            });

    DialogTexts::apply(this, dialogId);
    m_grid->applyFontRule(AppSettings::instance().english());
    setSize(TableFile::MaxAccuracyPoints);
}

AccuracyTableDialog::~AccuracyTableDialog()
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.popOwner();
    }
}

QPushButton *AccuracyTableDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void AccuracyTableDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_transfer.setPrompt(*m_prompt);
}

void AccuracyTableDialog::showEvent(QShowEvent *event)
{
    if (!m_ownsLink) {
        m_ownsLink = m_link.pushOwner(&m_transfer);
        m_link.open();
        setBusy(false);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void AccuracyTableDialog::done(int result)
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
    }
    QDialog::done(result);
}

void AccuracyTableDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void AccuracyTableDialog::setBusy(bool busy)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    m_grid->setEnabled(!busy);
    m_edit->setEnabled(!busy);
}

QByteArrayList AccuracyTableDialog::entries() const
{
    QByteArrayList list;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        list.append(m_grid->cellText(row, 1).toLatin1());
    return list;
}

void AccuracyTableDialog::setEntries(const QByteArrayList &entries)
{
    QList<QStringList> rows;
    for (int i = 0; i < entries.size(); ++i)
        rows.append({QString::number(i), QString::fromLatin1(entries.at(i))});
    m_grid->setRows(rows);
}

void AccuracyTableDialog::setSize(int size)
{
    QByteArrayList list = entries().mid(0, size);
    while (list.size() < size)
        list.append("0");
    setEntries(list);
}

void AccuracyTableDialog::chooseSize()
{
    TableNumberDialog dialog(255, TableFile::MinAccuracyPoints, TableFile::MaxAccuracyPoints, 209,
                             this);
    dialog.setValue(int(m_grid->rowCount()));
    if (dialog.exec() == QDialog::Accepted)
        setSize(dialog.value());
}

void AccuracyTableDialog::openFile()
{
    UserPrompt::FileRequest request;
    request.filter = AccuracyTableTransfer::fileFilter();
    request.defaultSuffix = QStringLiteral("aac");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty())
        return;
    QByteArrayList list;
    QString message;
    if (!AccuracyTableTransfer::loadFile(path, &list, &message)) {
        m_prompt->message(message);
        return;
    }
    setEntries(list);
}

void AccuracyTableDialog::saveFile()
{
    UserPrompt::FileRequest request;
    request.save = true;
    request.filter = AccuracyTableTransfer::fileFilter();
    request.defaultSuffix = QStringLiteral("aac");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty())
        return;
    QString message;
    AccuracyTableTransfer::saveFile(path, entries(), &message);
    m_prompt->message(message);
}
