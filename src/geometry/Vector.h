#pragma once
// Plan and space points/vectors of the site, in metres: x east, y north, z up (absolute elevation).

namespace kelmora {

// A plan point or plan vector [m].
struct CVertex2D {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const CVertex2D&, const CVertex2D&) = default;
};

// A point or vector in space [m].
struct CVector3D {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend bool operator==(const CVector3D&, const CVector3D&) = default;
};

// The vertical unit vector.
inline constexpr CVector3D kUp{0.0, 0.0, 1.0};

// A plane in Hessian form: unit normal n and d with n·p = d for the points p of the plane.
struct CPlane {
    double nx = 0.0;
    double ny = 0.0;
    double nz = 0.0;
    double d = 0.0;

    friend bool operator==(const CPlane&, const CPlane&) = default;
};

inline CVector3D operator+(const CVector3D& a, const CVector3D& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline CVector3D operator-(const CVector3D& a, const CVector3D& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline CVector3D operator*(double s, const CVector3D& v) {
    return {s * v.x, s * v.y, s * v.z};
}
inline double Dot(const CVector3D& a, const CVector3D& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline CVector3D Cross(const CVector3D& a, const CVector3D& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline CVertex2D operator+(const CVertex2D& a, const CVertex2D& b) {
    return {a.x + b.x, a.y + b.y};
}
inline CVertex2D operator-(const CVertex2D& a, const CVertex2D& b) {
    return {a.x - b.x, a.y - b.y};
}
inline CVertex2D operator*(double s, const CVertex2D& v) {
    return {s * v.x, s * v.y};
}
inline double Dot(const CVertex2D& a, const CVertex2D& b) {
    return a.x * b.x + a.y * b.y;
}
// The plan cross product a × b (z component of the 3-D cross product).
inline double Cross(const CVertex2D& a, const CVertex2D& b) {
    return a.x * b.y - a.y * b.x;
}

inline CVertex2D Plan(const CVector3D& v) {
    return {v.x, v.y};
}

}  // namespace kelmora
