#include "view/ArcBall.h"

#include <cmath>

TArcBall::TArcBall() = default;

void TArcBall::Reset(float radius) {
    std::lock_guard lock(Guard);
    Radius = radius;
    MousePoint = {};
    DragStartPoint = {};
    Rotation = IdentityMatrix();
    BaseRotation = IdentityMatrix();
}

void TArcBall::SetRadius(float radius) {
    std::lock_guard lock(Guard);
    Radius = radius;
}

float TArcBall::GetRadius() const {
    std::lock_guard lock(Guard);
    return Radius;
}

TVector3 TArcBall::MapToSphere(float x, float y) {
    const float L = x * x + y * y;
    if (L > 1.0f) {
        const float norm = std::sqrt(L);
        return {x / norm, y / norm, 0.0f};
    }
    return {x, y, std::sqrt(1.0f - L)};
}

void TArcBall::MouseTo(float X, float Y) {
    std::lock_guard lock(Guard);
    MoveTo(X, Y);
}

void TArcBall::BeginDrag() {
    std::lock_guard lock(Guard);
    StartDrag();
}

void TArcBall::EndDrag() {
    std::lock_guard lock(Guard);
    FinishDrag();
}

bool TArcBall::IsDragging() const {
    std::lock_guard lock(Guard);
    return Dragging;
}

void TArcBall::MoveTo(float X, float Y) {
    // A radius of 0 (a window not laid out yet) would divide by zero; such a window has no sphere.
    if (Radius > 0) {
        MousePoint = {(X - Radius) / Radius, -(Y - Radius) / Radius, 0.0f};
    }
    if (Dragging) {
        UpdateRotation();
    }
}

void TArcBall::StartDrag() {
    Dragging = true;
    DragStartPoint = MousePoint;
}

void TArcBall::FinishDrag() {
    DragStartPoint = MousePoint;
    BaseRotation = Rotation;
    Dragging = false;
}

void TArcBall::UpdateRotation() {
    const TVector3 start = MapToSphere(DragStartPoint.x, DragStartPoint.y);
    const TVector3 end = MapToSphere(MousePoint.x, MousePoint.y);
    const TVector3 axis = Cross(start, end);
    const TQuaternion drag = {axis.x, axis.y, axis.z, Dot(start, end)};
    Rotation = Multiply(QuaternionToMatrix(drag), BaseRotation);
}

void TArcBall::TurnBy(float A, float B) {
    // One step for every other thread: a drawing thread never sees the turn half done.
    std::lock_guard lock(Guard);
    const float R = Radius;
    MoveTo(R, R);
    StartDrag();
    MoveTo(R + A, R);
    FinishDrag();
    MoveTo(R, R);
    StartDrag();
    MoveTo(R, R + B);
    FinishDrag();
}

TMatrix4 TArcBall::GetRotation() const {
    std::lock_guard lock(Guard);
    return Rotation;
}

TMatrix4 TArcBall::GetBaseRotation() const {
    std::lock_guard lock(Guard);
    return BaseRotation;
}

void TArcBall::SetRotation(const TMatrix4& Value) {
    std::lock_guard lock(Guard);
    Rotation = Value;
    BaseRotation = Value;
    Dragging = false;
}
