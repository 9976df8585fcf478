// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AccessibleControls.h"

#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace {

// A clickable picture: a push button named by its tool tip ("Hilfe", "Datei laden").
class PictureButton : public QAccessibleWidget
{
public:
    explicit PictureButton(PictureBox* picture)
        : QAccessibleWidget(picture, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* picture = static_cast<PictureBox*>(widget());
        switch (t) {
        case QAccessible::Name:
            return picture->accessibleName().isEmpty() ? picture->toolTip() : picture->accessibleName();
        case QAccessible::Description:
            return picture->accessibleDescription();
        case QAccessible::Accelerator:
            return picture->shortcut().toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override
    {
        // Queued: the press opens a modal dialog, and the screen reader waits for the answer to its call.
        if (actionName == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(static_cast<PictureBox*>(widget()), &PictureBox::press,
                                      Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        const QKeySequence shortcut = static_cast<PictureBox*>(widget())->shortcut();
        if (actionName != pressAction() || shortcut.isEmpty())
            return {};
        return {shortcut.toString(QKeySequence::NativeText)};
    }
};

// A label of the panel: static text named by what it shows (line breaks as such), with the title above
// it as its label.
class PanelText : public QAccessibleWidget
{
public:
    explicit PanelText(PanelLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QAccessible::Role role() const override
    {
        return static_cast<PanelLabel*>(widget())->isNotice() ? QAccessible::Notification
                                                              : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<PanelLabel*>(widget());
        switch (t) {
        case QAccessible::Name: {
            if (!label->accessibleName().isEmpty())
                return label->accessibleName();
            QString shown = label->text();
            shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            return shown;
        }
        case QAccessible::Description:
            return label->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto result = QAccessibleWidget::relations(match);
        const auto* label = static_cast<PanelLabel*>(widget());
        const auto add = [&](PanelLabel* other, QAccessible::Relation relation) {
            if (!other || !(match & relation))
                return;
            if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(other))
                result.append({iface, relation});
        };
        // Each pair names what the other object is to this one: the title is this value's label.
        add(label->title(), QAccessible::Label);
        add(label->valueLabel(), QAccessible::Labelled);
        return result;
    }
};

// A frame of the window: a panel without the drop tool tip as its description.
class FramePanel : public QAccessibleWidget
{
public:
    explicit FramePanel(QWidget* frame)
        : QAccessibleWidget(frame, QAccessible::Pane)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

// The main window, named by its title.
class MainWindow : public QAccessibleWidget
{
public:
    explicit MainWindow(QWidget* window)
        : QAccessibleWidget(window, QAccessible::Window)
    {}
};

} // namespace

namespace AccessibleControls {

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (auto* picture = qobject_cast<PictureBox*>(object))
        return new PictureButton(picture);
    if (auto* label = qobject_cast<PanelLabel*>(object))
        return new PanelText(label);
    auto* widget = static_cast<QWidget*>(object);
    // Only the window's two frames; frames of the toolkit's own widgets keep their interfaces.
    if (qobject_cast<QFrame*>(object) && object->metaObject() == &QFrame::staticMetaObject &&
        object->property("tilgomaticPanel").toBool())
        return new FramePanel(widget);
    if (widget->isWindow() && object->inherits("frmMain"))
        return new MainWindow(widget);
    return nullptr;
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace AccessibleControls
