#include "view/ArcBall.h"

#include <cmath>

TArcBall::TArcBall() = default;

void TArcBall::Reset(float radius) {
    Radius = radius;
    MousePoint = {};
    DragStartPoint = {};
    std::lock_guard lock(RotationLock);
    Rotation = IdentityMatrix();
    BaseRotation = IdentityMatrix();
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
    // A radius of 0 (a window not laid out yet) would divide by zero; such a window has no sphere.
    if (Radius > 0) {
        MousePoint = {(X - Radius) / Radius, -(Y - Radius) / Radius, 0.0f};
    }
    if (Dragging) {
        UpdateRotation();
    }
}

void TArcBall::BeginDrag() {
    Dragging = true;
    DragStartPoint = MousePoint;
}

void TArcBall::EndDrag() {
    DragStartPoint = MousePoint;
    {
        std::lock_guard lock(RotationLock);
        BaseRotation = Rotation;
    }
    Dragging = false;
}

void TArcBall::UpdateRotation() {
    StartVector = MapToSphere(DragStartPoint.x, DragStartPoint.y);
    EndVector = MapToSphere(MousePoint.x, MousePoint.y);
    const TVector3 axis = Cross(StartVector, EndVector);
    DragQuat = {axis.x, axis.y, axis.z, Dot(StartVector, EndVector)};
    const TMatrix4 drag = QuaternionToMatrix(DragQuat);
    std::lock_guard lock(RotationLock);
    Rotation = Multiply(drag, BaseRotation);
}

void TArcBall::TurnBy(float A, float B) {
    const float R = Radius;
    MouseTo(R, R);
    BeginDrag();
    MouseTo(R + A, R);
    EndDrag();
    MouseTo(R, R);
    BeginDrag();
    MouseTo(R, R + B);
    EndDrag();
}

TMatrix4 TArcBall::GetRotation() const {
    std::lock_guard lock(RotationLock);
    return Rotation;
}
