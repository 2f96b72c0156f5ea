#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// Answers the modal dialogs a window opens, in order: each step names the
// dialog class it expects and what to do with it (set its fields, press a
// button). A step runs once its dialog is the active modal widget.
class ModalScript : public QObject
{
public:
    ModalScript()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::step);
        m_timer.start();
    }

    template <typename Dialog> void then(std::function<void(Dialog *)> action)
    {
        m_steps.push_back([action](QWidget *widget) {
            auto *dialog = qobject_cast<Dialog *>(widget);
            if (!dialog)
                return false;
            action(dialog);
            return true;
        });
    }

    bool done() const { return m_steps.empty(); }

private:
    void step()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (m_steps.empty() || !modal || modal == m_last)
            return;
        if (m_steps.front()(modal)) {
            m_steps.pop_front();
            // A dialog still open after its step is not answered twice; once
            // it has finished it may come again.
            if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && dialog->isVisible()) {
                m_last = dialog;
                connect(
                    dialog, &QDialog::finished, this, [this] { m_last = nullptr; },
                    Qt::SingleShotConnection);
            }
        }
    }

    QTimer m_timer;
    std::deque<std::function<bool(QWidget *)>> m_steps;
    QWidget *m_last = nullptr;
};
