// Cost of one integration step per body: Dynamora's Move and MoveLinear, and Bullet's own
// per-body integration of equivalent bodies (same mass, box inertia, constant force, spin),
// for 1, 100 and 10,000 bodies. "per_body" is the time of one body-step.
//
// Bullet's step per body: applyGravity (the constant force), integrateVelocities,
// predictIntegratedTransform, proceedToTransform, clearForces; "Bullet_IntegrateOnly" leaves
// out the force accumulation and clearing, which Move includes.
#include <dynamora/clsMomentOfInertia.h>
#include <dynamora/clsRigidBody.h>

#include <btBulletDynamicsCommon.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr float kStep = 0.02f;

struct BodyParameters {
    float mass, length, width, height;
    dynamora::Vector3 velocity, spin;
};

std::vector<BodyParameters> Parameters(int count) {
    std::mt19937 engine(42);
    std::uniform_real_distribution<float> size(0.5f, 4.0f), speed(-5.0f, 5.0f), spin(-1.0f, 1.0f);
    std::vector<BodyParameters> parameters;
    for (int i = 0; i < count; ++i)
        parameters.push_back(BodyParameters{size(engine) * 10, size(engine), size(engine), size(engine),
                                 dynamora::Vector3{speed(engine), speed(engine), speed(engine)},
                                 dynamora::Vector3{spin(engine), spin(engine), spin(engine)}});
    return parameters;
}

// Reports the time of one body-step as "per_body".
void Counted(benchmark::State& state, int bodies) {
    state.counters["per_body"] =
        benchmark::Counter(static_cast<double>(bodies), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<std::shared_ptr<dynamora::clsRigidBody>> DynamoraBodies(int count) {
    dynamora::clsMomentOfInertia inertia;
    std::vector<std::shared_ptr<dynamora::clsRigidBody>> bodies;
    for (const BodyParameters& p : Parameters(count)) {
        auto body = std::make_shared<dynamora::clsRigidBody>();
        body->Mass(p.mass);
        body->Initialize(inertia.ComputeRectangle(p.mass, p.length, p.width, p.height));
        body->Velocity(p.velocity);
        body->ConstantForce(dynamora::Vector3{0, -9.81f * p.mass, 0});
        // A torque that spins the body up; after a few steps it turns at a steady rate.
        body->Torque(dynamora::VectorScale(p.spin, p.mass * 50));
        for (int i = 0; i < 50; ++i) body->Move(kStep);
        bodies.push_back(std::move(body));
    }
    return bodies;
}

void Dynamora_Move(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto bodies = DynamoraBodies(count);
    for (auto _ : state)
        for (auto& body : bodies) {
            dynamora::Matrix4 world = body->Move(kStep);
            benchmark::DoNotOptimize(world);
        }
    Counted(state, count);
}

void Dynamora_MoveLinear(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto bodies = DynamoraBodies(count);
    for (auto _ : state)
        for (auto& body : bodies) {
            dynamora::Matrix4 world = body->MoveLinear(kStep);
            benchmark::DoNotOptimize(world);
        }
    Counted(state, count);
}

struct BulletBody {
    std::unique_ptr<btDefaultMotionState> motion;
    std::unique_ptr<btRigidBody> body;
};

std::vector<BulletBody> BulletBodies(int count, btBoxShape& shape) {
    std::vector<BulletBody> bodies;
    for (const BodyParameters& p : Parameters(count)) {
        BulletBody b;
        b.motion = std::make_unique<btDefaultMotionState>();
        const btScalar m = p.mass;
        // Same box tensor as ComputeRectangle: w along x, h along y, l along z.
        const btVector3 inertia((p.length * p.length + p.height * p.height) * m / 12,
                                (p.width * p.width + p.length * p.length) * m / 12,
                                (p.width * p.width + p.height * p.height) * m / 12);
        b.body = std::make_unique<btRigidBody>(btRigidBody::btRigidBodyConstructionInfo(m, b.motion.get(), &shape, inertia));
        b.body->setGravity(btVector3(0, -9.81f, 0));
        b.body->setLinearVelocity(btVector3(p.velocity.x, p.velocity.y, p.velocity.z));
        b.body->setAngularVelocity(btVector3(p.spin.x, p.spin.y, p.spin.z));
        b.body->setActivationState(DISABLE_DEACTIVATION);
        bodies.push_back(std::move(b));
    }
    return bodies;
}

void Bullet_Integrate(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    btBoxShape shape(btVector3(1, 1, 1));
    auto bodies = BulletBodies(count, shape);
    btTransform predicted;
    for (auto _ : state)
        for (auto& b : bodies) {
            b.body->applyGravity();
            b.body->integrateVelocities(kStep);
            b.body->predictIntegratedTransform(kStep, predicted);
            b.body->proceedToTransform(predicted);
            b.body->clearForces();
            benchmark::DoNotOptimize(b.body->getWorldTransform());
        }
    Counted(state, count);
}

void Bullet_IntegrateOnly(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    btBoxShape shape(btVector3(1, 1, 1));
    auto bodies = BulletBodies(count, shape);
    btTransform predicted;
    for (auto _ : state)
        for (auto& b : bodies) {
            b.body->integrateVelocities(kStep);
            b.body->predictIntegratedTransform(kStep, predicted);
            b.body->proceedToTransform(predicted);
            benchmark::DoNotOptimize(b.body->getWorldTransform());
        }
    Counted(state, count);
}

}  // namespace

BENCHMARK(Dynamora_Move)->Arg(1)->Arg(100)->Arg(10000);
BENCHMARK(Bullet_Integrate)->Arg(1)->Arg(100)->Arg(10000);
BENCHMARK(Bullet_IntegrateOnly)->Arg(1)->Arg(100)->Arg(10000);
BENCHMARK(Dynamora_MoveLinear)->Arg(1)->Arg(100)->Arg(10000);

BENCHMARK_MAIN();
