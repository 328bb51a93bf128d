#include "Quellorin/Assistant/RoundedCorner.h"

#include <numbers>

namespace quellorin {

bool Corners::insert(Corners member) {
  const bool present = contains(member);
  rawValue |= member.rawValue;
  return !present;
}

std::optional<Corners> Corners::remove(Corners member) {
  const Corners present = intersection(member);
  rawValue &= ~member.rawValue;
  return present.isEmpty() ? std::nullopt : std::optional(present);
}

std::optional<Corners> Corners::update(Corners member) {
  const Corners present = intersection(member);
  rawValue |= member.rawValue;
  return present.isEmpty() ? std::nullopt : std::optional(present);
}

std::vector<PathElement> RoundedCorner::path(platform::Rect r) const {
  using Kind = PathElement::Kind;
  constexpr double pi = std::numbers::pi;
  const double tl = corners.contains(Corners::topLeft) ? radius : 0;
  const double tr = corners.contains(Corners::topRight) ? radius : 0;
  const double bl = corners.contains(Corners::bottomLeft) ? radius : 0;
  const double br = corners.contains(Corners::bottomRight) ? radius : 0;
  auto point = [](Kind kind, double x, double y) { return PathElement{kind, {x, y}}; };
  auto arc = [](double x, double y, double arcRadius, double from, double to) {
    return PathElement{Kind::arc, {x, y}, arcRadius, from, to, false};
  };
  return {
      point(Kind::move, r.minX() + tl, r.minY()),
      point(Kind::line, r.maxX() - tr, r.minY()),
      arc(r.maxX() - tr, r.minY() + tr, tr, -pi / 2, 0),
      point(Kind::line, r.maxX(), r.maxY() - br),
      arc(r.maxX() - br, r.maxY() - br, br, 0, pi / 2),
      point(Kind::line, r.minX() + bl, r.maxY()),
      arc(r.minX() + bl, r.maxY() - bl, bl, pi / 2, pi),
      point(Kind::line, r.minX(), r.minY() + tl),
      arc(r.minX() + tl, r.minY() + tl, tl, pi, 3 * pi / 2),
  };
}

}  // namespace quellorin
