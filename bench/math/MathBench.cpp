// Cost of the rotation arithmetic on the mouse path: one product per drag
// event, and the whole drag step the scene runs for each event.
#include "math/ArcBall.h"

#include <benchmark/benchmark.h>

namespace {

void BM_QuaternionMultiply(benchmark::State& state) {
    Quaternion q0 = AxisRotationToQuaternion(MakeAxisRotationAXYZ(37, 0.3f, 0.5f, 0.8f));
    const Quaternion q1 = AxisRotationToQuaternion(MakeAxisRotationAXYZ(-12, 0.9f, 0.1f, 0.4f));
    for (auto _ : state) {
        // Feed the result back so each call depends on the last.
        q0 = QuaternionMultiply(q0, q1);
        benchmark::DoNotOptimize(q0);
    }
}
BENCHMARK(BM_QuaternionMultiply);

void BM_ArcBallDragStep(benchmark::State& state) {
    ArcBall ball(MakeAxisRotationAXYZ(25, 0, 1, 0));
    ball.StartDragWithX(-0.2f, 0.1f);
    float x = 0.0f;
    for (auto _ : state) {
        x = x < 0.9f ? x + 0.001f : -0.9f;
        ball.DragWithX(x, 0.3f);
        benchmark::DoNotOptimize(ball.orientationNow);
    }
}
BENCHMARK(BM_ArcBallDragStep);

void BM_ArcBallDragStepAndGetOrientation(benchmark::State& state) {
    ArcBall ball(MakeAxisRotationAXYZ(25, 0, 1, 0));
    ball.StartDragWithX(-0.2f, 0.1f);
    float x = 0.0f;
    for (auto _ : state) {
        x = x < 0.9f ? x + 0.001f : -0.9f;
        ball.DragWithX(x, 0.3f);
        benchmark::DoNotOptimize(ball.GetOrientation());
    }
}
BENCHMARK(BM_ArcBallDragStepAndGetOrientation);

} // namespace
