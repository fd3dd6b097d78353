#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <utility>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;

// A control made with its name, which code and tests find it by.
template <typename Widget, typename... Arguments>
Widget *Named(const char *name, Arguments &&...arguments)
{
    auto *widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A menu item and a separator made with their names.
QAction *NamedItem(QMenu *menu, const char *name, const char *caption, const QKeySequence &keys = {});
void NamedSeparator(QMenu *menu, const char *name);

// Lets a menu share its items with other menus and still answer for them to screen
// readers. Qt keeps one accessible interface per item, made for the first menu that
// was asked about it; a shared item would then name that menu, perhaps hidden, as
// its parent, and a submenu would not open from it. Whenever the menu opens, the
// interfaces its items keep for another menu are dropped, to be made anew for it.
void KeepAccessibleItemsWith(QMenu *menu);

// A label that names its control, for screen readers as for the eye.
QLabel *LabelFor(const QString &caption, QWidget *control);

// Enables or disables every one of the controls.
void SetEnabled(std::initializer_list<QWidget *> controls, bool enabled);

// Selects a box's whole text whenever it gets the focus, by keyboard or by mouse.
void SelectAllText(QLineEdit *box);

// Two arrow buttons bound to a text box beside it: each press takes the box's
// numeric value, steps it by one within the range (a value outside the range goes
// to its nearer end) and writes it back into the box.
// The box itself still accepts any text; the Up and Down keys in it step as well.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent = nullptr);

    int minimum() const { return lowest; }
    int maximum() const { return highest; }
    QLineEdit *buddy() const { return box; }
    void stepBy(int steps);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *box;
    int lowest;
    int highest;
};

