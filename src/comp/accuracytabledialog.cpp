#include "accuracytabledialog.h"

#include "accuracygraphdialog.h"
#include "app/dialogtexts.h"
#include "resources/catalogue.h"
#include "tablefile.h"
#include "tablenumberdialog.h"

#include <QPushButton>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int openButton = 1008;
constexpr int saveButton = 1009;
constexpr int setButton = 1010;
constexpr int clearButton = 1006;
constexpr int graphButton = 1011;
constexpr int resetButton = 1061;
constexpr int dialogId = 248;
} // namespace

AccuracyTableDialog::AccuracyTableDialog(DriveLink &link, QWidget *parent)
    : TableDialog(parent)
    , m_transfer(link, prompt())
    , m_linkHold(link, m_transfer)
    , m_graph(new AccuracyGraphDialog(this))
{
    addGrid(
        dialogId, {{1501, 90}, {1502, 140}}, 1,
        [](const QString &text) -> std::optional<QString> {
            const std::optional<QByteArray> value = TableFile::boundedValue(text.toLatin1());
            return value ? std::optional<QString>(QString::fromLatin1(*value)) : std::nullopt;
        },
        QSize(250, 320));
    addLamp();
    layOutGrid({downloadButton, uploadButton, openButton, saveButton, setButton, clearButton,
                graphButton, resetButton});

    connect(button(downloadButton), &QPushButton::clicked, this,
            [this] { m_transfer.download(entries()); });
    connect(button(uploadButton), &QPushButton::clicked, this, [this] {
        m_uploading = true;
        m_transfer.upload();
    });
    connect(button(openButton), &QPushButton::clicked, this, &AccuracyTableDialog::openFile);
    connect(button(saveButton), &QPushButton::clicked, this, &AccuracyTableDialog::saveFile);
    connect(button(setButton), &QPushButton::clicked, this, &AccuracyTableDialog::chooseSize);
    connect(button(clearButton), &QPushButton::clicked, this,
            [this] { setEntries(QByteArrayList(entries().size(), "0")); });
    connect(button(graphButton), &QPushButton::clicked, this, [this] {
        m_graph->setEntries(entries());
        m_graph->exec();
    });
    connect(button(resetButton), &QPushButton::clicked, &m_transfer,
            &AccuracyTableTransfer::resetCommunication);

    attach(m_transfer, &m_linkHold);
    connect(&m_transfer, &AccuracyTableTransfer::finished, this,
            [this](AccuracyTableTransfer::Outcome outcome) {
                // A failed reading leaves the grid as it was.
                if (m_uploading && outcome == AccuracyTableTransfer::Outcome::Succeeded)
                    setEntries(m_transfer.entries());
                m_uploading = false;
            });

    DialogTexts::apply(this, dialogId);
    setSize(TableFile::MaxAccuracyPoints);
}

void AccuracyTableDialog::promptChanged(UserPrompt *)
{
    m_transfer.setPrompt(prompt());
}

void AccuracyTableDialog::chooseSize()
{
    TableNumberDialog dialog(255, TableFile::MinAccuracyPoints, TableFile::MaxAccuracyPoints, 209,
                             prompt(), this);
    dialog.setValue(int(grid()->rowCount()));
    if (dialog.exec() == QDialog::Accepted)
        setSize(dialog.value());
}

UserPrompt::FileRequest AccuracyTableDialog::fileRequest(bool save) const
{
    UserPrompt::FileRequest request;
    request.save = save;
    request.filter = AccuracyTableTransfer::fileFilter();
    request.defaultSuffix = QStringLiteral("aac");
    return request;
}

void AccuracyTableDialog::openFile()
{
    const QString path = prompt().chooseFile(fileRequest(false));
    if (path.isEmpty())
        return;
    QByteArrayList list;
    QString message;
    if (!AccuracyTableTransfer::loadFile(path, &list, &message)) {
        prompt().message(message);
        return;
    }
    setEntries(list);
}

void AccuracyTableDialog::saveFile()
{
    const QString path = prompt().chooseFile(fileRequest(true));
    if (path.isEmpty())
        return;
    QString message;
    AccuracyTableTransfer::saveFile(path, entries(), &message);
    prompt().message(message);
}
