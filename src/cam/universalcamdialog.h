#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QRadioButton;
class UniversalCamEditor;
class UserPrompt;

// "Universal cam profile" (dialog 226): a new universal profile or a unv
// file to edit; "Next" opens the editor (dialog 227).
class UniversalCamDialog : public QDialog
{
    Q_OBJECT
public:
    UniversalCamDialog(UserPrompt &prompt, QWidget *parent = nullptr);

    QRadioButton *newButton() const { return m_new; }
    QRadioButton *editButton() const { return m_edit; }
    QLineEdit *pathEdit() const { return m_path; }
    // Runs the editor (tests: instead of exec()).
    void setEditorRunner(std::function<void(UniversalCamEditor &)> runner)
    {
        m_runEditor = std::move(runner);
    }

    // Opens the editor with the new times or the file's; false when the file
    // cannot be used (its message shown).
    bool next();

private:
    void browse();

    UserPrompt &m_prompt;
    QRadioButton *m_new;
    QRadioButton *m_edit;
    QLineEdit *m_path;
    std::function<void(UniversalCamEditor &)> m_runEditor;
};
