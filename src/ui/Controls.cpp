#include "ui/Controls.h"

#include "ui/Numbers.h"

#include <QAccessible>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace {

class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // After the event: a mouse press that gave the focus would place the cursor.
        if (event->type() == QEvent::FocusIn)
            if (auto *box = qobject_cast<QLineEdit *>(watched))
                QTimer::singleShot(0, box, &QLineEdit::selectAll);
        return false;
    }
};

QToolButton *arrow(Qt::ArrowType direction, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAccessibleName(direction == Qt::UpArrow ? QStringLiteral("Increase") : QStringLiteral("Decrease"));
    button->setArrowType(direction);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

} // namespace

QAction *NamedItem(QMenu *menu, const char *name, const char *caption, const QKeySequence &keys)
{
    QAction *item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromUtf8(name));
    item->setShortcut(keys);
    return item;
}

void NamedSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QString::fromUtf8(name));
}

void KeepAccessibleItemsWith(QMenu *menu)
{
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction *item : menu->actions()) {
            QAccessibleInterface *known = QAccessible::queryAccessibleInterface(item);
            if (!known)
                continue;
            const QAccessibleInterface *owner = known->parent();
            if (!owner || owner->object() != menu)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
        }
    });
}

QLabel *LabelFor(const QString &caption, QWidget *control)
{
    auto *label = new QLabel(caption);
    label->setBuddy(control);
    return label;
}

void SetEnabled(std::initializer_list<QWidget *> controls, bool enabled)
{
    for (QWidget *control : controls)
        control->setEnabled(enabled);
}

void SelectAllText(QLineEdit *box)
{
    box->installEventFilter(new SelectAllOnFocus(box));
}

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent), box(buddy), lowest(minimum), highest(maximum)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton *up = arrow(Qt::UpArrow, this);
    QToolButton *down = arrow(Qt::DownArrow, this);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    box->installEventFilter(this);
}

void UpDown::stepBy(int steps)
{
    // A value outside the range first comes to its nearer end.
    const int value = Numbers::RoundHalfEven(Numbers::LeadingNumber(box->text()));
    const int stepped = value < lowest || value > highest ? value : value + steps;
    box->setText(QString::number(std::clamp(stepped, lowest, highest)));
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == box && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

