#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "Platform/Core/Geometry.h"

namespace quellorin {

// A set of the four corners of a rectangle, over a bit mask (topLeft 1, topRight 2,
// bottomLeft 4, bottomRight 8). Set operations are the bitwise ones on the mask.
struct Corners {
  std::int64_t rawValue = 0;

  constexpr Corners() = default;
  constexpr explicit Corners(std::int64_t raw) : rawValue(raw) {}
  // The union of the listed sets: Corners{Corners::topLeft, Corners::topRight}.
  constexpr Corners(std::initializer_list<Corners> members) {
    for (Corners member : members) rawValue |= member.rawValue;
  }

  static const Corners topLeft, topRight, bottomLeft, bottomRight, allCorners;

  constexpr bool isEmpty() const { return rawValue == 0; }
  // Whether every member of `other` is in this set.
  constexpr bool contains(Corners other) const { return (rawValue & other.rawValue) == other.rawValue; }
  constexpr Corners unionWith(Corners other) const { return Corners(rawValue | other.rawValue); }
  constexpr Corners intersection(Corners other) const { return Corners(rawValue & other.rawValue); }
  constexpr Corners symmetricDifference(Corners other) const { return Corners(rawValue ^ other.rawValue); }
  constexpr Corners subtracting(Corners other) const { return Corners(rawValue & ~other.rawValue); }

  // Adds `member`; true when it was not there before.
  bool insert(Corners member);
  // Removes `member`; answers what of it was there (none when nothing was).
  std::optional<Corners> remove(Corners member);
  // Adds `member`; answers what of it was there before (none when nothing was).
  std::optional<Corners> update(Corners member);

  constexpr bool operator==(const Corners&) const = default;
};

inline constexpr Corners Corners::topLeft{1};
inline constexpr Corners Corners::topRight{2};
inline constexpr Corners Corners::bottomLeft{4};
inline constexpr Corners Corners::bottomRight{8};
inline constexpr Corners Corners::allCorners{15};

// One step of an outline. Angles in radians, measured from the x axis towards growing y; arcs run
// with the clockwise flag given (false: towards growing angles).
struct PathElement {
  enum class Kind { move, line, arc };
  Kind kind = Kind::move;
  platform::Point point;  // move and line: the point; arc: the centre
  double radius = 0;
  double startAngle = 0;
  double endAngle = 0;
  bool clockwise = false;
  bool operator==(const PathElement&) const = default;
};

// A rectangle's outline with a chosen set of rounded corners, all of one radius (points).
struct RoundedCorner {
  double radius = 0;
  Corners corners = Corners::allCorners;

  // From the top left corner clockwise on screen: four lines, each followed by the arc of the
  // next corner (radius 0 for a corner not in `corners`); the last arc ends where it started.
  std::vector<PathElement> path(platform::Rect rect) const;
};

}  // namespace quellorin
