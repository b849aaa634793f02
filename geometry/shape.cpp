#include "geometry/shape.h"

#include <algorithm>

C2DObject::C2DObject(const C2DPos& offset, float placement_angle, float turn_angle)
    : offset_(offset), placement_angle_(placement_angle), turn_angle_(turn_angle) {}

C2DObject::~C2DObject() {
  for (C2DObject* child : children_) child->parent_ = nullptr;
  Unlink();
}

void C2DObject::Draw(C2DPos, float) {}

bool C2DObject::HitTest(float, float) const { return false; }

bool C2DObject::SetParent(C2DObject* parent) {
  for (const C2DObject* above = parent; above != nullptr; above = above->parent_) {
    if (above == this) return false;
  }
  if (parent == parent_) return true;
  Unlink();
  parent_ = parent;
  if (parent_ != nullptr) parent_->children_.push_back(this);
  return true;
}

bool C2DObject::Place(C2DObject* parent, const C2DPos& offset, float placement_angle) {
  if (!SetParent(parent)) return false;
  offset_ = offset;
  placement_angle_ = placement_angle;
  return true;
}

void C2DObject::Unlink() {
  if (parent_ == nullptr) return;
  std::vector<C2DObject*>& siblings = parent_->children_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  parent_ = nullptr;
}

C2DPos C2DObject::AbsolutePosition(const C2DObject* stop, float& angle) const {
  if (this == stop) return C2DPos();
  const C2DPos above = parent_ != nullptr ? parent_->AbsolutePosition(stop, angle) : C2DPos();
  angle += placement_angle_;
  C2DPos position = offset_ * C2DOpe::Rotation(angle);
  angle += turn_angle_;
  position *= C2DOpe::Translation(above.X(), above.Y());
  return position;
}

C2DPos C2DObject::AbsolutePosition() const {
  float angle = 0.0f;
  return AbsolutePosition(nullptr, angle);
}
