#include "dialogtexts.h"

#include "resources/catalogue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace DialogTexts {

namespace {
const char *idProperty = "torvaneControlId";
}

void tag(QWidget *control, int controlId)
{
    control->setProperty(idProperty, controlId);
}

int controlId(const QWidget *control)
{
    return control->property(idProperty).toInt();
}

QString caption(int dialogId)
{
    const QString text = Catalogue::instance().dialogCaption(dialogId);
    return text.isEmpty() ? Catalogue::instance().string(267) : text;
}

int titleWidth(const QWidget *window)
{
    // Title bars use about the application font; their icon, buttons and
    // margins take roughly another six character heights.
    const QFontMetrics metrics(QApplication::font());
    return metrics.horizontalAdvance(window->windowTitle()) + 6 * metrics.height() + 24;
}

void apply(QWidget *dialog, int dialogId)
{
    dialog->setWindowTitle(caption(dialogId));
    const Catalogue &catalogue = Catalogue::instance();
    const auto children = dialog->findChildren<QWidget *>();
    for (QWidget *w : children) {
        const int id = controlId(w);
        // A window opened beside this one as its child (the simple terminal
        // of a feature window) keeps the texts of its own dialog.
        if (id == 0 || w->window() != dialog->window())
            continue;
        const QString text = catalogue.controlText(dialogId, id);
        if (text.isNull())
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            button->setText(text);
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            group->setTitle(text);
        else if (auto *label = qobject_cast<QLabel *>(w))
            label->setText(text);
    }
}

} // namespace DialogTexts
