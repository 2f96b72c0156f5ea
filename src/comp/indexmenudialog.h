#pragma once

#include <QDialog>
#include <QHash>

class DriveLink;
class IndexTableMenuDialog;
class QPushButton;

// "Index Menu" (dialog 145): "Index TypeA(&I)" opens the index compensation
// menu, "Index TypeB(&O)" the unequal division menu.
class IndexMenuDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IndexMenuDialog(DriveLink &link, QWidget *parent = nullptr);

    IndexTableMenuDialog *typeAMenu() const { return m_typeA; }
    IndexTableMenuDialog *typeBMenu() const { return m_typeB; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

private:
    QHash<int, QPushButton *> m_buttons;
    IndexTableMenuDialog *m_typeA;
    IndexTableMenuDialog *m_typeB;
};
