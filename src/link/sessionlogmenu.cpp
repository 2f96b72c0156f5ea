#include "sessionlogmenu.h"

#include "app/datafiledialog.h"
#include "resources/catalogue.h"

#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <memory>

SessionLogMenu::SessionLogMenu(QPlainTextEdit *view, std::function<QStringList()> heldLines)
    : QObject(view)
    , m_view(view)
    , m_heldLines(std::move(heldLines))
{
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &SessionLogMenu::showMenu);
}

bool SessionLogMenu::start(const QString &path)
{
    QString reason;
    if (!m_log.open(path, &reason)) {
        QMessageBox::warning(m_view, m_view->window()->windowTitle(),
                             Catalogue::instance().format(1252, {path, reason}));
        return false;
    }
    m_log.writeEarlier(m_heldLines());
    return true;
}

void SessionLogMenu::stop()
{
    m_log.close();
}

void SessionLogMenu::showMenu(const QPoint &pos)
{
    std::unique_ptr<QMenu> menu(m_view->createStandardContextMenu());
    menu->addSeparator();
    const Catalogue &texts = Catalogue::instance();
    // "Save log to file..."
    QAction *save = menu->addAction(texts.string(1249));
    QAction *stopSaving = menu->addAction(texts.string(1250));
    stopSaving->setEnabled(isSaving());
    QAction *chosen = menu->exec(m_view->viewport()->mapToGlobal(pos));
    if (chosen == stopSaving) {
        stop();
    } else if (chosen == save) {
        UserPrompt::FileRequest request;
        request.save = true;
        request.filter = texts.string(1251);
        request.defaultSuffix = QStringLiteral("log");
        request.title = texts.string(1249);
        DataFileDialog dialog(request, m_view);
        const QString file = dialog.run();
        if (!file.isEmpty())
            start(file);
    }
}
