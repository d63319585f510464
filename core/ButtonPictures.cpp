#include "core/ButtonPictures.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace vorlaxis {

namespace {

// The shapes are laid out on a 16 × 16 grid; a larger picture draws the same grid finer.
constexpr double kGrid = 16;
constexpr int kSamples = 4;  // per pixel and direction: smooth edges without a drawing library

struct Point {
    double x, y;
};
struct Colour {
    double r, g, b;  // 0..255
};

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    const double t =
        length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Angles in degrees, clockwise from east, as the y axis points down.
Point OnCircle(Point centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

// A picture with alpha, painted shape over shape; every pixel is sampled 4 × 4 times so that
// edges are smooth.
class Canvas {
  public:
    explicit Canvas(int size) : m_size(size), m_pixels(static_cast<size_t>(size * size)) {}

    template <class Inside>
    void Paint(Colour colour, Inside inside) {
        for (int y = 0; y < m_size; ++y) {
            for (int x = 0; x < m_size; ++x) {
                Blend(m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_size) +
                               static_cast<size_t>(x)],
                      colour, Cover(x, y, inside));
            }
        }
    }
    void Line(std::initializer_list<Point> points, double width, Colour colour) {
        Paint(colour, [&](Point p) {
            for (const Point* a = points.begin(); a + 1 != points.end(); ++a) {
                if (DistanceToSegment(p, a[0], a[1]) <= width / 2) return true;
            }
            return false;
        });
    }
    void Arc(Point centre, double radius, double from, double to, double width, Colour colour) {
        Paint(colour, [&](Point p) {
            double angle = std::atan2(p.y - centre.y, p.x - centre.x) * 180 / std::numbers::pi;
            while (angle < from) angle += 360;
            return angle <= to &&
                   std::abs(std::hypot(p.x - centre.x, p.y - centre.y) - radius) <= width / 2;
        });
    }
    void Disc(Point centre, double radius, Colour colour) {
        Paint(colour,
              [&](Point p) { return std::hypot(p.x - centre.x, p.y - centre.y) <= radius; });
    }
    void Triangle(Point a, Point b, Point c, Colour colour) {
        Paint(colour, [&](Point p) {
            const auto side = [&](Point u, Point v) {
                return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x);
            };
            const double ab = side(a, b), bc = side(b, c), ca = side(c, a);
            return (ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0);
        });
    }
    void Box(Point topLeft, Point bottomRight, Colour colour) {
        Paint(colour, [&](Point p) {
            return p.x >= topLeft.x && p.x <= bottomRight.x && p.y >= topLeft.y &&
                   p.y <= bottomRight.y;
        });
    }

    std::vector<uint32_t> Pixels() const {
        const auto channel = [](double value, int shift) {
            return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)) << shift;
        };
        std::vector<uint32_t> pixels;
        pixels.reserve(m_pixels.size());
        for (const Pixel& pixel : m_pixels) {
            pixels.push_back(channel(pixel.a, 24) | channel(pixel.r, 16) | channel(pixel.g, 8) |
                             channel(pixel.b, 0));
        }
        return pixels;
    }

  private:
    // The share of the pixel's samples that lie inside the shape.
    template <class Inside>
    double Cover(int x, int y, Inside& inside) const {
        const double scale = m_size / kGrid;
        int hits = 0;
        for (int row = 0; row < kSamples; ++row) {
            for (int column = 0; column < kSamples; ++column) {
                hits += inside(Point{(x + (column + 0.5) / kSamples) / scale,
                                     (y + (row + 0.5) / kSamples) / scale})
                            ? 1
                            : 0;
            }
        }
        return hits / double(kSamples * kSamples);
    }

    struct Pixel {
        double r = 0, g = 0, b = 0, a = 0;  // premultiplied, 0..1
    };
    static void Blend(Pixel& pixel, Colour colour, double cover) {
        pixel.r = colour.r / 255 * cover + pixel.r * (1 - cover);
        pixel.g = colour.g / 255 * cover + pixel.g * (1 - cover);
        pixel.b = colour.b / 255 * cover + pixel.b * (1 - cover);
        pixel.a = cover + pixel.a * (1 - cover);
    }
    int m_size;
    std::vector<Pixel> m_pixels;
};

constexpr Colour kDarkGreen{0, 100, 0}, kGreen{40, 180, 40}, kDarkRed{140, 0, 0}, kRed{230, 45, 40},
    kDarkBrown{90, 50, 15}, kBrown{190, 120, 55}, kBrass{250, 210, 60}, kDarkBlue{10, 40, 130},
    kBlue{40, 100, 220};

// A circle running clockwise round to its arrowhead.
void DrawRetry(Canvas& canvas) {
    const Point centre{8, 8.5};
    canvas.Arc(centre, 5, 0, 285, 2.4, kGreen);
    const Point end = OnCircle(centre, 5, 285);
    canvas.Triangle(OnCircle(end, 3.2, 285), OnCircle(end, 3.2, 105), OnCircle(centre, 5, 330),
                    kGreen);
}

// Each picture has a dark edge under a lighter fill, so that it stands out on the button face.
void Draw(Canvas& canvas, PictureKind kind) {
    switch (kind) {
        case PictureKind::Ok:
            canvas.Line({{3, 8.5}, {6.5, 12}, {13, 4.5}}, 3.4, kDarkGreen);
            canvas.Line({{3, 8.5}, {6.5, 12}, {13, 4.5}}, 1.8, kGreen);
            break;
        case PictureKind::Cancel:
            canvas.Line({{4, 4}, {12, 12}}, 3.4, kDarkRed);
            canvas.Line({{12, 4}, {4, 12}}, 3.4, kDarkRed);
            canvas.Line({{4, 4}, {12, 12}}, 1.8, kRed);
            canvas.Line({{12, 4}, {4, 12}}, 1.8, kRed);
            break;
        case PictureKind::Close:  // a door with its handle
            canvas.Box({3, 1}, {13, 15}, kDarkBrown);
            canvas.Box({4, 2}, {12, 14}, kBrown);
            canvas.Disc({10, 8.5}, 1.2, kBrass);
            break;
        case PictureKind::Retry:
            DrawRetry(canvas);
            break;
        case PictureKind::All:  // a double arrow: on without stopping
            canvas.Line({{2.5, 3.5}, {7, 8}, {2.5, 12.5}}, 3.4, kDarkBlue);
            canvas.Line({{8.5, 3.5}, {13, 8}, {8.5, 12.5}}, 3.4, kDarkBlue);
            canvas.Line({{2.5, 3.5}, {7, 8}, {2.5, 12.5}}, 1.8, kBlue);
            canvas.Line({{8.5, 3.5}, {13, 8}, {8.5, 12.5}}, 1.8, kBlue);
            break;
        case PictureKind::Help:  // a question mark
            canvas.Arc({8, 5.5}, 3, 180, 420, 2.4, kBlue);
            canvas.Line({OnCircle({8, 5.5}, 3, 60), {8, 10}, {8, 11}}, 2.4, kBlue);
            canvas.Disc({8, 13.6}, 1.4, kBlue);
            break;
        case PictureKind::None:
            break;
    }
}

}  // namespace

std::vector<uint32_t> PicturePixels(PictureKind kind, int size) {
    Canvas canvas(size);
    Draw(canvas, kind);
    return canvas.Pixels();
}

}  // namespace vorlaxis
