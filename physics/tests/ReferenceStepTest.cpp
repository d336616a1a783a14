// The library computes Move with four-lane kernels. This test runs a plain scalar version of
// the same formulas, written out element by element, next to it and requires the same bits
// at every step (so +0 / -0 and rounding must agree, not just the values).
#include "TestSupport.h"

#include <dynamora/clsMomentOfInertia.h>
#include <dynamora/clsRigidBody.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace dynamora;
using namespace dynamora::testing;

namespace {

struct Vec {
    float x = 0, y = 0, z = 0;
};
struct Mat {
    float m[4][4] = {};
};

Vec Of(const Vector3& v) { return Vec{v.x, v.y, v.z}; }
Vector3 Of(const Vec& v) { return Vector3{v.x, v.y, v.z}; }
Mat Of(const Matrix4& a) {
    Mat r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a(i, j);
    return r;
}
Matrix4 Of(const Mat& a) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r(i, j) = a.m[i][j];
    return r;
}

Mat Product(const Mat& a, const Mat& b) {
    Mat r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

Mat Transposed(const Mat& a) {
    Mat r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
    return r;
}

float Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec Unit(const Vec& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0) return Vec{};
    return Vec{v.x / length, v.y / length, v.z / length};
}

Vec Along(Vec& a, Vec& b) {
    a = Unit(a);
    b = Unit(b);
    const float d = Dot(a, b);
    return Vec{a.x * d, a.y * d, a.z * d};
}

Vec Orthogonal(Vec& a, Vec& b) {
    const Vec along = Along(a, b);
    return Vec{b.x - along.x, b.y - along.y, b.z - along.z};
}

void GramSchmidt(Mat& o) {
    Vec a{o.m[0][0], o.m[0][1], o.m[0][2]};
    Vec r1{o.m[1][0], o.m[1][1], o.m[1][2]};
    Vec r2{o.m[2][0], o.m[2][1], o.m[2][2]};
    Vec b = Orthogonal(a, r1);
    const Vec c1 = Orthogonal(a, r2);
    const Vec c2 = Along(b, r2);
    Vec c{c1.x - c2.x, c1.y - c2.y, c1.z - c2.z};
    a = Unit(a);
    b = Unit(b);
    c = Unit(c);
    const Vec rows[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        o.m[i][0] = rows[i].x;
        o.m[i][1] = rows[i].y;
        o.m[i][2] = rows[i].z;
    }
}

struct ReferenceBody {
    Mat orientation, inverseTensor, momentOfInertia;
    Vec position, velocity, force, constantForce, angularVelocity, angularMomentum, torque;
    float mass = 1;

    Mat Move(float t) {
        force = Vec{force.x + constantForce.x, force.y + constantForce.y, force.z + constantForce.z};
        momentOfInertia = Product(Product(Transposed(orientation), inverseTensor), orientation);
        const Mat& w = momentOfInertia;
        const Vec& l = angularMomentum;
        angularVelocity = Vec{l.x * w.m[0][0] + l.y * w.m[1][0] + l.z * w.m[2][0],
                              l.x * w.m[0][1] + l.y * w.m[1][1] + l.z * w.m[2][1],
                              l.x * w.m[0][2] + l.y * w.m[1][2] + l.z * w.m[2][2]};
        position = Vec{position.x + velocity.x * t, position.y + velocity.y * t, position.z + velocity.z * t};
        const float q = t / mass;
        velocity = Vec{velocity.x + force.x * q, velocity.y + force.y * q, velocity.z + force.z * q};
        const Vec& v = angularVelocity;
        Mat skew;
        skew.m[0][1] = -v.z, skew.m[0][2] = v.y;
        skew.m[1][0] = v.z, skew.m[1][2] = -v.x;
        skew.m[2][0] = -v.y, skew.m[2][1] = v.x;
        Mat p = Product(orientation, skew);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 4; ++j) p.m[i][j] = t * p.m[i][j];
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) orientation.m[i][j] = orientation.m[i][j] + p.m[i][j];
        torque = Vec{torque.x * t, torque.y * t, torque.z * t};
        angularMomentum = Vec{l.x + torque.x, l.y + torque.y, l.z + torque.z};
        GramSchmidt(orientation);
        Mat world = orientation;
        world.m[3][0] = position.x, world.m[3][1] = position.y, world.m[3][2] = position.z;
        force = Vec{};
        return world;
    }
};

class Generator {
public:
    explicit Generator(unsigned seed) : engine_(seed) {}
    // Mostly ordinary values, with exact zeros of both signs mixed in.
    float Value(float range) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(engine_);
        if (kind == 0) return 0.0f;
        if (kind == 1) return -0.0f;
        return std::uniform_real_distribution<float>(-range, range)(engine_);
    }
    Vector3 Vector(float range) { return Vector3{Value(range), Value(range), Value(range)}; }
    float Uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(engine_); }
    bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(engine_) < percent; }

private:
    std::mt19937 engine_;
};

}  // namespace

TEST(ReferenceStep, MoveMatchesThePlainFormulasBitForBit) {
    Generator random(20240607);
    int compared = 0;
    for (int n = 0; n < 40; ++n) {
        // A dense, well-conditioned general tensor: its inverse has no zero element, so the
        // library's inverse can be read back exactly through a zero-time step of the unturned body.
        Matrix4 tensor;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) tensor(i, j) = random.Uniform(0.05f, 1.0f) * (random.Chance(50) ? 1 : -1) + (i == j ? 4.0f : 0.0f);
        clsRigidBody body;
        body.Initialize(tensor);
        ASSERT_FALSE(body.Failed());
        body.Move(0.0f);
        ReferenceBody ref;
        ref.inverseTensor = Of(body.MomentOfInertia());
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) ASSERT_NE(ref.inverseTensor.m[i][j], 0.0f);
        ref.orientation = Of(MatrixIdentity());
        ASSERT_TRUE(SameBits(body.GetMatrix(), MatrixIdentity()));

        const float mass = random.Uniform(0.5f, 5.0f);
        body.Mass(mass), ref.mass = mass;
        const Vector3 constantForce = random.Vector(2);
        body.ConstantForce(constantForce), ref.constantForce = Of(constantForce);
        const Vector3 velocity = random.Vector(3);
        body.Velocity(velocity), ref.velocity = Of(velocity);

        for (int step = 0; step < 150; ++step) {
            if (random.Chance(20)) {
                const Vector3 torque = random.Vector(20);
                body.Torque(torque), ref.torque = Of(torque);
            }
            if (random.Chance(50)) {
                const Vector3 force = random.Vector(5);
                body.SetForceByVector(force);
                ref.force = Vec{ref.force.x + force.x, ref.force.y + force.y, ref.force.z + force.z};
            }
            const float times[] = {0.3f, 0.9f, 0.95f, random.Uniform(0.0f, 1.0f)};
            const float t = times[step % 4];
            const Matrix4 world = body.Move(t);
            ASSERT_FALSE(body.Failed()) << body.LastError();
            const Mat expected = ref.Move(t);
            ASSERT_TRUE(SameBits(world, Of(expected))) << "body " << n << " step " << step;
            ASSERT_TRUE(SameBits(body.MomentOfInertia(), Of(ref.momentOfInertia))) << "body " << n << " step " << step;
            ASSERT_TRUE(SameBits(body.AngularVelocity(), Of(ref.angularVelocity))) << "body " << n << " step " << step;
            ASSERT_TRUE(SameBits(body.Velocity(), Of(ref.velocity))) << "body " << n << " step " << step;
            ASSERT_TRUE(SameBits(body.Torque(), Of(ref.torque))) << "body " << n << " step " << step;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 40 * 150);
}

// The game's bodies use box tensors. Their inverse has zeros off the diagonal whose signs cannot
// be read back exactly, so here the values (not the signs of zeros) must agree exactly.
TEST(ReferenceStep, MoveWithBoxTensorsMatchesThePlainFormulasExactly) {
    Generator random(4242);
    clsMomentOfInertia inertia;
    for (int n = 0; n < 20; ++n) {
        const float mass = random.Uniform(1, 50);
        clsRigidBody body;
        body.Mass(mass);
        body.Initialize(inertia.ComputeRectangle(mass, random.Uniform(0.5f, 8), random.Uniform(0.5f, 8), random.Uniform(0.5f, 8)));
        body.Move(0.0f);
        ReferenceBody ref;
        ref.mass = mass;
        ref.inverseTensor = Of(body.MomentOfInertia());
        ref.orientation = Of(MatrixIdentity());
        const Vector3 velocity = random.Vector(5);
        body.Velocity(velocity), ref.velocity = Of(velocity);
        for (int step = 0; step < 200; ++step) {
            if (step % 40 == 0) {
                Vector3 hit = random.Vector(30);
                const Vector3 point = random.Vector(3);
                Vector3 hitCopy = hit;
                body.SetForceAtPoint(hit, point);
                // what SetForceAtPoint stores: the torque of the force about the body's position
                const Vector3 lever = VectorSubtract(point, Of(ref.position));
                ref.torque = Of(VectorCross(hitCopy, lever));
                ref.force = Of(body.Force());
            }
            const Matrix4 world = body.Move(0.9f);
            ASSERT_FALSE(body.Failed()) << body.LastError();
            const Matrix4 expected = Of(ref.Move(0.9f));
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(world(r, c), expected(r, c)) << "body " << n << " step " << step << " m" << r + 1 << c + 1;
            ASSERT_EQ(body.AngularVelocity(), Of(ref.angularVelocity)) << "body " << n << " step " << step;
        }
    }
}

TEST(ReferenceStep, MatrixHelpersMatchThePlainFormulasBitForBit) {
    Generator random(77);
    for (int n = 0; n < 2000; ++n) {
        Matrix4 a, b;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) a(i, j) = random.Value(3), b(i, j) = random.Value(3);
        ASSERT_TRUE(SameBits(MatrixMultiply(a, b), Of(Product(Of(a), Of(b)))));

        Matrix4 m = a;
        Mat expected = Of(a);
        GramSchmidt(expected);
        ASSERT_TRUE(SameBits(Reorthogonalize(m), Of(expected)));
        ASSERT_TRUE(SameBits(m, Of(expected)));

        const float value = random.Value(2);
        Matrix4 scaled = a;
        Mat plain = Of(a);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 4; ++j) plain.m[i][j] = value * plain.m[i][j];
        MathError error;
        ASSERT_TRUE(SameBits(MatrixMultiplyConstant(value, scaled, error), Of(plain)));
        ASSERT_FALSE(error);

        Mat sum;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) sum.m[i][j] = a(i, j) + b(i, j);
        ASSERT_TRUE(SameBits(MatrixSum(a, b, error), Of(sum)));
        ASSERT_FALSE(error);
    }
}
