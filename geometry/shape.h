// C2DObject: the base of the shapes. A shape stands at an offset from its parent, turned
// about the parent by a placement angle, and hands a turn angle on to the shapes below
// it, so that a chain of shapes adds up positions and angles like the joints of an arm.
//
// Links are not owning. A shape that goes away first lets its children go (they become
// roots where they stand in their own coordinates) and leaves its parent's list, so no
// shape is ever left pointing at a destroyed one. Links never form a loop: a loop would
// make the absolute position recurse without end.
#pragma once

#include <vector>

#include "geometry/matrix.h"

class C2DObject {
 public:
  C2DObject() = default;
  // A root at `offset`, turned by `placement_angle`, handing on `turn_angle`.
  explicit C2DObject(const C2DPos& offset, float placement_angle = 0.0f, float turn_angle = 0.0f);
  // Links would be shared or lost by a copy; shapes are made in place instead.
  C2DObject(const C2DObject&) = delete;
  C2DObject& operator=(const C2DObject&) = delete;

  // The order of the virtual operations is the order of their slots; keep it.
  virtual ~C2DObject();
  // Draws the shape at `position`, turned by `angle` radians. The base draws nothing.
  virtual void Draw(C2DPos position, float angle);
  // Whether the point (x, y) hits the shape. The base is never hit.
  virtual bool HitTest(float x, float y) const;

  // Links the shape under `parent` (null makes it a root). Refused with false, changing
  // nothing, when `parent` is this shape or lies below it.
  bool SetParent(C2DObject* parent);
  // SetParent, then the offset and the placement angle; nothing changes when refused.
  bool Place(C2DObject* parent, const C2DPos& offset, float placement_angle = 0.0f);
  C2DObject* GetParent() const { return parent_; }
  // The shapes linked directly under this one, in the order they were linked.
  const std::vector<C2DObject*>& GetChildren() const { return children_; }

  void SetOffset(const C2DPos& offset) { offset_ = offset; }
  const C2DPos& GetOffset() const { return offset_; }
  void SetPlacementAngle(float angle) { placement_angle_ = angle; }
  float GetPlacementAngle() const { return placement_angle_; }
  void SetTurnAngle(float angle) { turn_angle_ = angle; }
  float GetTurnAngle() const { return turn_angle_; }

  // The shape's position relative to `stop` (to the root when `stop` is null or not
  // above it). Every placement and turn angle met on the way down from there, this
  // shape's own included, is added to `angle`, which then holds the angle to draw it at.
  // `stop` itself contributes neither position nor angles.
  C2DPos AbsolutePosition(const C2DObject* stop, float& angle) const;
  // The position relative to the root.
  C2DPos AbsolutePosition() const;

 private:
  void Unlink();

  C2DObject* parent_ = nullptr;
  C2DPos offset_;
  float placement_angle_ = 0.0f;
  float turn_angle_ = 0.0f;
  std::vector<C2DObject*> children_;
};
