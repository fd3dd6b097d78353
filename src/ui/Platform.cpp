#include "ui/Platform.h"

#include "ui/DesktopPlatform.h"

namespace Ui {

namespace {
std::unique_ptr<Platform> &current()
{
    static std::unique_ptr<Platform> instance;
    return instance;
}
} // namespace

Platform &platform()
{
    if (!current())
        current() = std::make_unique<DesktopPlatform>();
    return *current();
}

std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement)
{
    std::unique_ptr<Platform> previous = std::move(current());
    current() = std::move(replacement);
    return previous;
}

MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    return platform().messageBox({title, text, icon, buttons});
}

QString Listed(const QStringList &lines)
{
    constexpr int Shown = 12;
    QString text = lines.mid(0, Shown).join(u'\n');
    if (lines.size() > Shown)
        text += QStringLiteral("\n(and %1 more)").arg(lines.size() - Shown);
    return text;
}

bool YieldThrottle::due()
{
    if (sinceLast.isValid() && sinceLast.elapsed() < 50)
        return false;
    sinceLast.start();
    return true;
}

} // namespace Ui
