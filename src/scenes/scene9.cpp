// Scene 9: ten thousand particles burst from the origin in random directions; after two
// seconds a blend of three Lorenz-type flows, two of whose centres wander, takes over
// their velocities. Each frame blurs and darkens the previous picture in place and adds
// the particles as bright dots, so they leave glowing trails. The camera sits close to
// the origin, circling slowly, its field of view opening from about 60 to 160 degrees.

#include <cmath>
#include <cstring>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "core/random.h"
#include "fx2d/particle_plot.h"
#include "fx2d/trail_blur.h"
#include "render3d/camera.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace scene9 {
namespace {

struct Particle {
    Vector3 position;
    Vector3 velocity;
};

constexpr int kParticleCount = 10000;
constexpr float kBlendPeriod = 4.0f;       // the blends move on to the next particles
constexpr float kWideningSeconds = 4.0f;   // the field of view opens until then
constexpr float kWidestFieldOfView = 160.0f;

std::unique_ptr<Particle[]> particles;
std::unique_ptr<Palette> scenePalette;
float lastTime = 0.0f;
scene9::UpdateTurn updateTurn;  // carries over from visit to visit

// A start velocity component: a random sign and a random size of 0.08 .. 8.08.
float randomSpeed() {
    const float sign = drawRandom() % 2 == 1 ? 1.0f : -1.0f;
    const float size = ((drawRandom() & 4095) * 0.00024420026f + 0.01f) * 8.0f;
    return sign * size;
}

// Step 3: velocity = W F1 + (1 - W) F2 + S F3 from the flows around A, B and the origin.
// The three phase-shifted blends take turns over the particles, moving on every 4 s.
void updateVelocities(float t) {
    const float q = fastInvSqrt(t);  // about 1 / sqrt(t)
    const Vector3 a(std::cos(1.5f * t), std::sin(1.55f * t),
                    1.3f * std::sin(-2.3f * t) + std::cos(1.1f * t));
    const Vector3 b(std::cos(std::sin(-2.5f * t) + 1.77f * t),
                    std::cos(-2.34f * t) + std::sin(1.5f * t), std::sin(std::exp(q) + 2.5f * t));
    const float h = 0.5f * t;
    const int turn = truncToInt(t / kBlendPeriod) % 3;  // t > 2 here, so not negative
    float weight[3];
    float swirl[3];
    for (int k = 0; k < 3; ++k) {
        weight[k] = std::cos(h + 2.094395160675049f * k);  // a third of a turn apart
        swirl[k] = std::sin(3.1415927f * weight[k] + 23.0f);
    }
    for (int i = 0; i < kParticleCount; ++i) {
        const int k = (i % 3 + turn) % 3;
        const float w = weight[k];
        const Vector3& p = particles[i].position;
        const Vector3 d = p - a;
        const Vector3 f1(1.4f * (d.y - d.x), 0.05f * (d.x * (46.92f - d.z) - d.y),
                         0.05f * (d.x * d.y - 4.0f * d.z));
        const Vector3 e = p - b;
        const Vector3 f2(0.5f * (e.y - e.x), 0.05f * (e.x * (28.0f - e.z) - e.y),
                         0.05f * (e.x * e.y - 2.6666667f * e.z));
        const Vector3 f3(0.45f * (p.y - p.x), 0.05f * (p.x * (7.0f - p.z) - p.y),
                         0.05f * (p.x * p.y - 19.0f * p.z));
        particles[i].velocity = w * f1 + (1.0f - w) * f2 + swirl[k] * f3;
    }
}

// Step 6: close to the origin, circling slowly; the view opens from 59.49 to 160 degrees.
Camera cameraAt(float t) {
    const float fov =
        t <= kWideningSeconds ? 58.49282745498812f * std::exp(t / 4.0f) + 1.0f : kWidestFieldOfView;
    const Vector3 eye(0.7f * std::cos(-0.2f * t), 0.0f, 0.7f * std::sin(-0.2f * t));
    return Camera(eye, Vector3(0, 0, 0), fov, 0.0f);
}


void load() {
    particles = std::make_unique<Particle[]>(kParticleCount);
    scenePalette = loadPalette("gfx\\lovestil.pal");
}

void unload() {
    scenePalette.reset();
    particles.reset();
}

void start() {
    setPalette(scenePalette.get());
    for (int i = 0; i < kParticleCount; ++i) {
        particles[i].position.set(0, 0, 0);
        const float vx = randomSpeed();
        const float vy = randomSpeed();
        const float vz = randomSpeed();
        particles[i].velocity.set(vx, vy, vz);
    }
    lastTime = 0.0f;
    clearFrame(FrameBuffer, 0);
}

// The particles, the last time and the update turn, and the picture the trails fade in.
void keepState(StateRecord& record) {
    record.keep(particles.get(), sizeof(Particle) * kParticleCount);
    record.keep(lastTime);
    record.keep(updateTurn);
    record.keep(FrameBuffer, kFrameSize);
}

void restoreState(StateRecord& record) {
    record.restore(particles.get(), sizeof(Particle) * kParticleCount);
    record.restore(lastTime);
    record.restore(updateTurn);
    record.restore(FrameBuffer, kFrameSize);
}

void render(float t) {
    // 1. The time since the previous frame moves the particles at the end.
    const float dt = t - lastTime;
    lastTime = t;

    // 2-3. Up to 2 s the burst flies on; after that every second frame steers it.
    if (updateTurn.take(t)) updateVelocities(t);

    // 4-5. Last frame's picture smeared and darkened in place, its border cleared.
    blurTrails(FrameBuffer);
    clearBorder(FrameBuffer);

    // 6-7. Each particle as a dot, then on along its velocity. Particles behind the eye
    //      project mirrored, as they always have; one level with it is not drawn.
    const Camera camera = cameraAt(t);
    for (int i = 0; i < kParticleCount; ++i) {
        Particle& particle = particles[i];
        const Vector3 c = transformPoint(particle.position, camera.view);
        if (c.z != 0.0f) {
            plotParticle(FrameBuffer, camera.focalX * c.x / c.z + camera.centreX,
                         camera.focalY * c.y / c.z + camera.centreY);
        }
        particle.position = particle.position + dt * particle.velocity;
    }

    // 8.
    presentFrame(FrameBuffer);
}

}  // namespace
}  // namespace scene9

extern const SceneEntry attractorTrailsScene = {
    scene9::load, scene9::unload, scene9::start, scene9::render, kSceneDurations[8],
    scene9::keepState, scene9::restoreState, "Attractor trails",
};
