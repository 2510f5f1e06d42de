#pragma once
// The orientation of a view's cube, turned by mouse drags in the manner of an arcball: the window is
// the projection of a sphere of radius Radius (pixels) centred at client point (Radius, Radius), and a
// drag turns the sphere so that the press point's place on it moves towards the pointer. Successive
// drags add up, each about axes fixed to the screen.
//
// No lock: the UI thread (or a preview's animate thread) drives it; the drawing thread reads Rotation
// once per frame through GetRotation(), which copies the matrix whole under a small internal lock.

#include "view/Geometry.h"

#include <mutex>

class TArcBall {
public:
    TArcBall();

    // Radius := radius; pointer and drag start to the centre; Rotation and BaseRotation to identity.
    void Reset(float radius);
    void SetRadius(float radius) { Radius = radius; }
    // Records the pointer (client pixels); while dragging, recomputes Rotation.
    void MouseTo(float X, float Y);
    void BeginDrag();
    void EndDrag();
    // A drag of A pixels right, then one of B pixels down, both from the sphere's centre.
    void TurnBy(float A, float B);

    // A consistent copy of the current orientation, safe from any thread.
    TMatrix4 GetRotation() const;

    // The unit-sphere point for a normalised window point; points outside map to the nearest rim point.
    static TVector3 MapToSphere(float x, float y);

    float Radius = 0;
    TMatrix4 Rotation{};
    TMatrix4 BaseRotation{};
    TQuaternion DragQuat;
    TVector3 MousePoint;
    TVector3 DragStartPoint;
    TVector3 StartVector, EndVector;
    bool Dragging = false;

private:
    void UpdateRotation();
    mutable std::mutex RotationLock; // the drawing thread copies Rotation while a drag writes it
};
