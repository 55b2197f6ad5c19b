// The clock's layer surface on its own, for the Wayland tests and for seeing
// it by eye: the clock's circle, filled (the square's corners transparent), with a small
// marker that circles inside it once a minute, drawn as the clock draws, only
// where something moved. Reads commands, one a line, on standard input:
//   layer top|bottom|overlay   pos X Y   size N   hide   show   rss   quit
// and says on standard output what happens:
//   shown W H S    a frame of W x H device pixels at scale S is on screen
//   closed         the compositor closed the surface (made again at once)
//   rss KB         the resident memory
//   wayland_layer_demo [--layer L] [--pos X,Y] [--size N] [--color RRGGBB] [--tick MS]

#include <cmath>
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include "platform/Region.h"
#include "platform/WaylandConnection.h"
#include "platform/WaylandLayerSurface.h"

using namespace platform::wayland;

namespace {

bool ParseLayer(const QString& name, Layer* layer)
{
    if (name == "top")
        *layer = Layer::Top;
    else if (name == "bottom")
        *layer = Layer::Bottom;
    else if (name == "overlay")
        *layer = Layer::Overlay;
    else
        return false;
    return true;
}

long ResidentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void Say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Demo : public QObject {
public:
    Demo(Connection& conn, QRgb color) : m_surface(conn), m_color(color)
    {
        connect(&m_surface, &LayerSurface::repaintNeeded, this, [this] { Draw(true); });
        // Made again from the event loop: the output that went may still be listed now.
        connect(
            &m_surface, &LayerSurface::closed, this,
            [this] {
                Say("closed");
                m_surface.Show();
            },
            Qt::QueuedConnection);
    }

    LayerSurface& Surface() { return m_surface; }

    // The marker's square, in device pixels, at the current angle.
    QRect Marker() const
    {
        const QSize size = m_surface.BufferSize();
        const double r = size.width() * 0.3;
        const int side = std::max(4, size.width() / 10);
        const QPointF centre(size.width() / 2.0 + r * std::sin(m_angle), size.height() / 2.0 - r * std::cos(m_angle));
        return QRect(int(centre.x()) - side / 2, int(centre.y()) - side / 2, side, side);
    }

    void Tick()
    {
        const QRect before = Marker();
        m_angle += 2 * M_PI / 60;
        m_damage = QRegion(before) + Marker();
        Draw(false);
    }

    void Draw(bool whole)
    {
        const QSize size = m_surface.BufferSize();
        const QRegion damage = whole ? QRegion(QRect(QPoint(), size)) : m_damage;
        const QRect marker = Marker();
        const bool painted = m_surface.Paint(
            [&](QImage& buffer, const QRegion& area) {
                QPainter p(&buffer);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.setClipRegion(area);
                p.fillRect(buffer.rect(), Qt::transparent);
                p.setClipRegion(area & platform::CreateEllipticRgn(0, 0, size.width(), size.height()));
                p.fillRect(buffer.rect(), QColor::fromRgb(m_color));
                p.setClipRegion(area);
                p.fillRect(marker, Qt::white);
            },
            damage);
        if (painted && m_surface.Mapped() && !m_bReported) {
            m_bReported = true;
            Say(QString("shown %1 %2 %3").arg(size.width()).arg(size.height()).arg(m_surface.Scale()));
        }
    }

    void Reshown() { m_bReported = false; }

private:
    LayerSurface m_surface;
    QRgb m_color;
    double m_angle = 0;
    QRegion m_damage;
    bool m_bReported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Layer layer = Layer::Top;
    QPoint pos(100, 100);
    int size = 200;
    QRgb color = qRgb(0xC0, 0x30, 0x30);
    int tick = 1000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& value = args[i + 1];
        if (args[i] == "--layer" && ParseLayer(value, &layer)) {
        } else if (args[i] == "--pos" && value.contains(',')) {
            pos = QPoint(value.section(',', 0, 0).toInt(), value.section(',', 1, 1).toInt());
        } else if (args[i] == "--size") {
            size = value.toInt();
        } else if (args[i] == "--color") {
            color = 0xFF000000u | value.toUInt(nullptr, 16);
        } else if (args[i] == "--tick") {
            tick = value.toInt();
        } else {
            std::fprintf(stderr, "wayland_layer_demo: bad argument %s\n", qPrintable(args[i]));
            return 2;
        }
    }

    Connection conn;
    if (!conn.Available()) {
        std::fprintf(stderr, "wayland_layer_demo: the compositor has no layer shell\n");
        return 1;
    }
    QObject::connect(&conn, &Connection::lost, &app, [] { QCoreApplication::exit(1); });
    Demo demo(conn, color);
    LayerSurface& surface = demo.Surface();
    surface.SetLayer(layer);
    surface.SetPosition(pos);
    surface.SetSize(QSize(size, size));
    surface.Show();

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &demo, [&] { demo.Tick(); });
    if (tick > 0)
        timer.start(tick);

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        if (!std::fgets(buffer, sizeof buffer, stdin)) {
            input.setEnabled(false);
            return;
        }
        const QStringList words = QString::fromUtf8(buffer).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        const QString command = words.value(0);
        Layer wanted;
        if (command == "layer" && words.size() == 2 && ParseLayer(words[1], &wanted)) {
            surface.SetLayer(wanted);
        } else if (command == "pos" && words.size() == 3) {
            surface.SetPosition(QPoint(words[1].toInt(), words[2].toInt()));
        } else if (command == "size" && words.size() == 2) {
            surface.SetSize(QSize(words[1].toInt(), words[1].toInt()));
            demo.Reshown();
            demo.Draw(true);
        } else if (command == "hide") {
            surface.Hide();
        } else if (command == "show") {
            demo.Reshown();
            surface.Show();
        } else if (command == "rss") {
            Say(QString("rss %1").arg(ResidentKb()));
        } else if (command == "quit") {
            QCoreApplication::quit();
        } else if (!command.isEmpty()) {
            std::fprintf(stderr, "wayland_layer_demo: unknown command %s\n", qPrintable(command));
        }
    });
    return app.exec();
}
