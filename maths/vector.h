// The value types every layer shares: Vector3, Vector (four floats) and the rotation Matrix.
// Pure arithmetic, no GL; the runtime's contract header offers them in its own namespace too.
// Vectors are row vectors: `v * m` rotates v by m.
#pragma once


class Matrix;
class Vector;

class Vector3 {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vector3(const Vector& v);

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator-() const { return {-x, -y, -z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vector3 operator*(const Matrix& m) const;
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }

    float length() const;
    float dotProduct(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    // Normalises in place and returns the result; a zero vector stays zero.
    Vector3 normalize();
    Vector3 crossProduct(const Vector3& o) const;
    // Componentwise clamp between lo and hi.
    Vector3 clamp(const Vector3& lo, const Vector3& hi) const;
};

class Vector {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;

    Vector() = default;
    Vector(float x_, float y_, float z_, float w_ = 0.0f) : x(x_), y(y_), z(z_), w(w_) {}
    Vector(const Vector3& v) : x(v.x), y(v.y), z(v.z), w(0.0f) {}

    Vector operator+(const Vector& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    Vector operator-(const Vector& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    Vector operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vector operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
    Vector operator*(const Matrix& m) const;
    Vector& operator+=(const Vector& o) { x += o.x; y += o.y; z += o.z; w += o.w; return *this; }
    Vector& operator-=(const Vector& o) { x -= o.x; y -= o.y; z -= o.z; w -= o.w; return *this; }
    Vector& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    bool operator==(const Vector& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }

    // Length, normalisation and cross product work on x, y, z; w is carried along.
    float length() const;
    Vector normalize();
    Vector crossProduct(const Vector& o) const;
    Vector clamp(const Vector& lo, const Vector& hi) const;
};

inline Vector3::Vector3(const Vector& v) : x(v.x), y(v.y), z(v.z) {}

// A 3x3 rotation, row-vector convention: v' = v * m.
class Matrix {
public:
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    // Rotation about x by ax, then about y by ay, then about z by az (radians).
    static Matrix makeRotation(float ax, float ay, float az);
    Matrix operator*(const Matrix& o) const;
};
