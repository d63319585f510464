#include "core/win32/ButtonPictures.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

namespace {

constexpr int kSize = 16;
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

// Angles in degrees, clockwise from east, as the screen's y axis points down.
Point OnCircle(Point centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

// A 16 × 16 picture with alpha, painted shape over shape; every pixel is sampled 4 × 4 times so
// that edges are smooth.
class Canvas {
  public:
    template <class Inside>
    void Paint(Colour colour, Inside inside) {
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                int hits = 0;
                for (int i = 0; i < kSamples * kSamples; ++i) {
                    const Point p{x + (i % kSamples + 0.5) / kSamples,
                                  y + (i / kSamples + 0.5) / kSamples};
                    hits += inside(p) ? 1 : 0;
                }
                Blend(m_pixels[y * kSize + x], colour, hits / double(kSamples * kSamples));
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

    // A 32-bit bitmap of premultiplied blue, green, red and alpha, top row first.
    HBITMAP Bitmap() const;

  private:
    struct Pixel {
        double r = 0, g = 0, b = 0, a = 0;  // premultiplied, 0..1
    };
    static void Blend(Pixel& pixel, Colour colour, double cover) {
        pixel.r = colour.r / 255 * cover + pixel.r * (1 - cover);
        pixel.g = colour.g / 255 * cover + pixel.g * (1 - cover);
        pixel.b = colour.b / 255 * cover + pixel.b * (1 - cover);
        pixel.a = cover + pixel.a * (1 - cover);
    }
    std::array<Pixel, kSize * kSize> m_pixels{};
};

HBITMAP Canvas::Bitmap() const {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<BYTE*>(bits);
    const auto byte = [](double value) {
        return BYTE(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    for (const Pixel& pixel : m_pixels) {
        *out++ = byte(pixel.b);
        *out++ = byte(pixel.g);
        *out++ = byte(pixel.r);
        *out++ = byte(pixel.a);
    }
    return bitmap;
}

// Each picture has a dark edge under a lighter fill, so that it stands out on the button face.
void Draw(Canvas& canvas, PictureKind kind) {
    constexpr Colour darkGreen{0, 100, 0}, green{40, 180, 40}, darkRed{140, 0, 0}, red{230, 45, 40},
        darkBrown{90, 50, 15}, brown{190, 120, 55}, brass{250, 210, 60}, darkBlue{10, 40, 130},
        blue{40, 100, 220};
    switch (kind) {
        case PictureKind::Ok:
            canvas.Line({{3, 8.5}, {6.5, 12}, {13, 4.5}}, 3.4, darkGreen);
            canvas.Line({{3, 8.5}, {6.5, 12}, {13, 4.5}}, 1.8, green);
            break;
        case PictureKind::Cancel:
            canvas.Line({{4, 4}, {12, 12}}, 3.4, darkRed);
            canvas.Line({{12, 4}, {4, 12}}, 3.4, darkRed);
            canvas.Line({{4, 4}, {12, 12}}, 1.8, red);
            canvas.Line({{12, 4}, {4, 12}}, 1.8, red);
            break;
        case PictureKind::Close:  // a door with its handle
            canvas.Box({3, 1}, {13, 15}, darkBrown);
            canvas.Box({4, 2}, {12, 14}, brown);
            canvas.Disc({10, 8.5}, 1.2, brass);
            break;
        case PictureKind::Retry: {  // a circle running clockwise round to its arrowhead
            const Point centre{8, 8.5};
            canvas.Arc(centre, 5, 0, 285, 2.4, green);
            const Point end = OnCircle(centre, 5, 285), tip = OnCircle(centre, 5, 330);
            canvas.Triangle(OnCircle(end, 3.2, 285), OnCircle(end, 3.2, 105), tip, darkGreen);
            break;
        }
        case PictureKind::All:
            canvas.Line({{2.5, 3.5}, {7, 8}, {2.5, 12.5}}, 3.4, darkBlue);
            canvas.Line({{8.5, 3.5}, {13, 8}, {8.5, 12.5}}, 3.4, darkBlue);
            canvas.Line({{2.5, 3.5}, {7, 8}, {2.5, 12.5}}, 1.8, blue);
            canvas.Line({{8.5, 3.5}, {13, 8}, {8.5, 12.5}}, 1.8, blue);
            break;
        case PictureKind::Help:  // a question mark
            canvas.Arc({8, 5.5}, 3, 180, 420, 2.4, blue);
            canvas.Line({OnCircle({8, 5.5}, 3, 60), {8, 10}, {8, 11}}, 2.4, blue);
            canvas.Disc({8, 13.6}, 1.4, blue);
            break;
        case PictureKind::None:
            break;
    }
}

// One image list per picture, made when first needed and kept while the program runs: the
// buttons only refer to it.
HIMAGELIST PictureList(PictureKind kind) {
    static std::array<HIMAGELIST, 7> lists{};
    HIMAGELIST& list = lists[static_cast<size_t>(kind)];
    if (!list) {
        Canvas canvas;
        Draw(canvas, kind);
        HBITMAP bitmap = canvas.Bitmap();
        list = ::ImageList_Create(kSize, kSize, ILC_COLOR32, 1, 0);
        ::ImageList_Add(list, bitmap, nullptr);
        ::DeleteObject(bitmap);
    }
    return list;
}

std::string ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return platform::win32::ToUtf8(name);
}

}  // namespace

void SetButtonPicture(HWND button, PictureKind kind) {
    BUTTON_IMAGELIST picture{};
    picture.himl = kind == PictureKind::None ? nullptr : PictureList(kind);
    picture.margin = {4, 0, 0, 0};
    picture.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture));
}

void SetButtonPictures(HWND window, std::initializer_list<NamedButton> buttons) {
    const std::string windowName = ClassName(window);
    for (const NamedButton& button : buttons) {
        SetButtonPicture(::GetDlgItem(window, button.controlId),
                         PictureOf(windowName, button.name));
    }
}

}  // namespace vorlaxis::win32ui
