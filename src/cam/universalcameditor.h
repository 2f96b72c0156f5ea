#pragma once

#include "camlaw.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class CamGraphDialog;
class QLineEdit;
class UserPrompt;

// The universal cam editor (dialog 227): T0 … T7, Tcs and Tce, T0 and T7
// fixed at 0 and 1, the others typed and shown with "%10.7f". "Enter" takes
// the typed values, "Graph" plots the profile of the law (CamLaw), "Save"
// writes the unv file and the cdt file beside it.
class UniversalCamEditor : public QDialog
{
    Q_OBJECT
public:
    UniversalCamEditor(UserPrompt &prompt, QWidget *parent = nullptr);

    void setTimes(const CamLaw::Times &times, const QString &path);
    QLineEdit *field(int time) const { return m_fields.value(time); }
    QString path() const { return m_path; }

    // The typed times, reformatted; nothing (and a message) when one is no
    // number.
    std::optional<CamLaw::Times> enter();
    bool showGraph();
    bool save();
    // The graph window, for tests: takes the place of exec().
    void setGraphRunner(std::function<void(CamGraphDialog &)> runner)
    {
        m_runGraph = std::move(runner);
    }

private:
    std::optional<CamLaw> law();

    UserPrompt &m_prompt;
    QList<QLineEdit *> m_fields;
    QString m_path;
    std::function<void(CamGraphDialog &)> m_runGraph;
};
