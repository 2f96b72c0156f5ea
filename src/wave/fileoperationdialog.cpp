#include "fileoperationdialog.h"

#include "app/dialogtexts.h"
#include "resources/catalogue.h"
#include "viewerfiles.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QGroupBox *group(QWidget *parent, const QList<QPushButton *> &buttons)
{
    auto *box = new QGroupBox(parent);
    auto *layout = new QHBoxLayout(box);
    for (QPushButton *b : buttons)
        layout->addWidget(b);
    return box;
}

} // namespace

FileOperationDialog::FileOperationDialog(ViewerFiles &files, std::function<QByteArray()> png,
                                         QWidget *parent)
    : QDialog(parent)
    , m_files(files)
    , m_png(std::move(png))
{
    QGroupBox *wave = group(this, {addButton(1118), addButton(1024)});
    DialogTexts::tag(wave, 1501);
    QGroupBox *conditions = group(this, {addButton(1025), addButton(1026)});
    DialogTexts::tag(conditions, 1502);
    QGroupBox *exports = group(this, {addButton(CsvButton), addButton(PngButton)});
    QPushButton *close = addButton(1);
    close->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(wave);
    layout->addWidget(conditions);
    layout->addWidget(exports);
    layout->addWidget(close, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(1118), &QPushButton::clicked, this, [this] { opened(m_files.openGraph()); });
    connect(button(1025), &QPushButton::clicked, this,
            [this] { opened(m_files.openConditions()); });
    connect(button(1024), &QPushButton::clicked, this, [this] { m_files.saveGraph(); });
    connect(button(1026), &QPushButton::clicked, this, [this] { m_files.saveConditions(); });
    connect(button(CsvButton), &QPushButton::clicked, this, [this] { m_files.exportCsv(); });
    connect(button(PngButton), &QPushButton::clicked, this, [this] { m_files.exportPng(m_png); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    DialogTexts::apply(this, 174);
    const Catalogue &catalogue = Catalogue::instance();
    exports->setTitle(catalogue.string(1100));
    button(CsvButton)->setText(catalogue.string(1101));
    button(PngButton)->setText(catalogue.string(1102));
}

QPushButton *FileOperationDialog::addButton(int controlId)
{
    auto *b = new QPushButton(this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    m_buttons.append(b);
    return b;
}

QPushButton *FileOperationDialog::button(int controlId) const
{
    for (QPushButton *b : m_buttons) {
        if (DialogTexts::controlId(b) == controlId)
            return b;
    }
    return nullptr;
}

void FileOperationDialog::opened(bool loaded)
{
    m_loaded = m_loaded || loaded;
    if (loaded)
        accept();
    else
        reject();
}

bool FileOperationDialog::run()
{
    m_loaded = false;
    exec();
    return m_loaded;
}
