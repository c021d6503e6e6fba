#include "ui/window.h"

#include "ui/look.h"

#include "kb/cp1251.h"
#include "kb/fileerror.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QPalette>
#include <QWidget>

namespace tovrin {

void centreOnDesktop(QWidget* window, const QSize& outer, const QScreen* screen)
{
    const QScreen* desktop = screen ? screen
        : window->screen()          ? window->screen()
                                    : QGuiApplication::primaryScreen();
    if (!desktop)
        return;
    window->move(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, outer, desktop->availableGeometry())
            .topLeft());
}

QString fromCp1251(const std::string& text) { return QString::fromStdString(cp1251::toUtf8(text)); }

std::string toCp1251(const QString& text) { return cp1251::fromUtf8(text.toStdString()); }

std::string typedToCp1251(const QString& text) { return cp1251::fromTyped(text.toStdString()); }

QString errorMessage(const std::exception& error)
{
    if (const auto* file = dynamic_cast<const FileError*>(&error))
        return QString::fromStdString(file->utf8());
    return QString::fromLocal8Bit(error.what());
}

void paintWindowFace(QWidget* window)
{
    QPalette face = window->palette();
    face.setColor(QPalette::Window, look::Silver);
    window->setPalette(face);
    window->setAutoFillBackground(true);
}

} // namespace tovrin
