#include "windowkit/accessibility.h"

#include "windowkit/vectorpicture.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget* widget, AccessiblePress& press)
        : QAccessibleWidget(widget, press.accessibleRole())
        , m_press(press)
    {
    }

    // A label that acts (a link) is named by what it shows.
    QString text(QAccessible::Text kind) const override
    {
        const auto* label = qobject_cast<const QLabel*>(widget());
        if (kind == QAccessible::Name && label && widget()->accessibleName().isEmpty())
            return label->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && widget()->isEnabled())
            m_press.pressedByAssistiveTechnology();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    AccessiblePress& m_press;
};

class WholeTextAccessible : public QAccessibleWidget {
public:
    WholeTextAccessible(QWidget* widget, const AccessibleWholeText& wholeText)
        : QAccessibleWidget(widget, wholeText.accessibleRole())
        , m_wholeText(wholeText)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return m_wholeText.readableText();
        return QAccessibleWidget::text(kind);
    }

private:
    const AccessibleWholeText& m_wholeText;
};

QAccessibleInterface* korvaleControls(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (dynamic_cast<AccessibleWindow*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (auto* press = dynamic_cast<AccessiblePress*>(widget))
        return new PressableAccessible(widget, *press);
    if (const auto* wholeText = dynamic_cast<AccessibleWholeText*>(widget))
        return new WholeTextAccessible(widget, *wholeText);
    if (qobject_cast<VectorPicture*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

} // namespace

namespace Accessibility {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(korvaleControls);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Accessibility
