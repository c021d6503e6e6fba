#include "app/platform.h"

#include "ui/look.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <xcb/xcb.h>

namespace tovrin {

namespace {

bool isSet(const char* value) { return value && *value; }

// The window manager's hints as the Motif convention has them: which functions the window
// offers and which parts its frame shows.
struct MotifHints {
    std::uint32_t flags;
    std::uint32_t functions;
    std::uint32_t decorations;
    std::int32_t inputMode;
    std::uint32_t status;
};
constexpr std::uint32_t kHintsFunctions = 1;
constexpr std::uint32_t kHintsDecorations = 2;
constexpr std::uint32_t kFunctionMove = 4;
constexpr std::uint32_t kDecorationBorder = 2;
constexpr std::uint32_t kDecorationTitle = 8;

// Qt's Russian keeps the Latin "OK" on the confirming buttons; a Russian desktop writes "ОК".
class RussianOk : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QPlatformTheme") == 0 && qstrcmp(source, "OK") == 0)
            return QStringLiteral("ОК");
        return {};
    }
};

} // namespace

std::string preferredPlatform(const std::function<const char*(const char*)>& env)
{
    if (isSet(env("QT_QPA_PLATFORM")))
        return {};
    const char* session = env("XDG_SESSION_TYPE");
    const bool wayland =
        isSet(env("WAYLAND_DISPLAY")) || (session && std::string_view(session) == "wayland");
    if (wayland && isSet(env("DISPLAY")))
        return "xcb;wayland"; // Wayland stays the fallback should the X server fail
    return {};
}

bool displayAvailable(const std::function<const char*(const char*)>& env)
{
    return isSet(env("QT_QPA_PLATFORM")) || isSet(env("DISPLAY")) || isSet(env("WAYLAND_DISPLAY"));
}

void choosePlatform()
{
    const std::string platform =
        preferredPlatform([](const char* name) { return std::getenv(name); });
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
}

bool installQtTranslations(QCoreApplication& app)
{
    // The program speaks Russian whatever the desktop's language is.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    QCoreApplication::installTranslator(new RussianOk(&app));
    return true;
}

void substituteWindowFont()
{
    QFont::insertSubstitutions(look::FontFace,
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("DejaVu Sans Condensed")});
}

void withoutCloseBox(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());

    static constexpr std::string_view name = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.data()), nullptr);
    if (!atom)
        return;
    // A title to move the window by and a border; no close box, no system menu, no buttons.
    const MotifHints hints{kHintsFunctions | kHintsDecorations, kFunctionMove,
                           kDecorationBorder | kDecorationTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom->atom, atom->atom, 32,
                        sizeof(hints) / 4, &hints);
    xcb_flush(connection);
    std::free(atom);
}

} // namespace tovrin
