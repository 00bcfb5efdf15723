#pragma once

#include <QAccessible>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// Switches Qt's accessibility on as a screen reader's bridge does, so accessible events reach
// an installed update handler. QAccessible::setActive alone only tells the observers: the
// platform's own switch is what QAccessible::isActive() and updateAccessibility() ask.
inline bool activateAccessibility() {
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    if (!integration || !integration->accessibility()) {
        return false;
    }
    integration->accessibility()->setActive(true);
    QAccessible::setActive(true);
    return QAccessible::isActive();
}
