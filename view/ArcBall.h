#pragma once
// The orientation of a view's cube, turned by mouse drags in the manner of an arcball: the window is
// the projection of a sphere of radius Radius (pixels) centred at client point (Radius, Radius), and a
// drag turns the sphere so that the press point's place on it moves towards the pointer. Successive
// drags add up, each about axes fixed to the screen.
//
// Threads: safe from any thread. The UI thread drags it, a preview's animate thread turns it, the
// drawing thread sets the radius and reads the rotation every frame; one internal mutex guards every
// field, and each call (TurnBy as a whole) is one step under it. It is a leaf lock: nothing else is
// taken while it is held.

#include "view/Geometry.h"

#include <mutex>

class TArcBall {
public:
    TArcBall();

    // Radius := radius; pointer and drag start to the centre; Rotation and BaseRotation to identity.
    void Reset(float radius);
    void SetRadius(float radius);
    float GetRadius() const;
    // Records the pointer (client pixels); while dragging, recomputes Rotation.
    void MouseTo(float X, float Y);
    void BeginDrag();
    void EndDrag();
    bool IsDragging() const;
    // A drag of A pixels right, then one of B pixels down, both from the sphere's centre.
    void TurnBy(float A, float B);

    // A consistent copy of the current orientation, and of the one the current drag started from.
    TMatrix4 GetRotation() const;
    TMatrix4 GetBaseRotation() const;
    // Sets the orientation outright (no drag in progress afterwards).
    void SetRotation(const TMatrix4& Value);

    // The unit-sphere point for a normalised window point; points outside map to the nearest rim point.
    static TVector3 MapToSphere(float x, float y);

private:
    // The same, with Guard held.
    void MoveTo(float X, float Y);
    void StartDrag();
    void FinishDrag();
    void UpdateRotation();

    mutable std::mutex Guard;
    float Radius = 0;
    TMatrix4 Rotation{};
    TMatrix4 BaseRotation{};
    TVector3 MousePoint;
    TVector3 DragStartPoint;
    bool Dragging = false;
};
