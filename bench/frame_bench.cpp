// Frame time of the game scene under the GL in use (software GL in CI): a board, its 20
// draughts, the four star models and a 636-point star field at 800 x 600, offscreen. Reports
// the median and 99th percentile of single frames, each finished with glFinish.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "tools/viewer/gl_offscreen.h"
#include "tools/viewer/scene.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFieldPoints = 636;
constexpr double kElevation = 40.0;
constexpr double kDistance = 2.3;
constexpr float kSkyStep = 0.01f;  // the game's sky turn per frame
constexpr int kWarmupFrames = 5;   // first frames compile lists and upload textures
constexpr double kP99 = 0.99;

CViewerScene* g_pScene = nullptr;

double Percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())));
    return v[i];
}

void BM_SceneFrame(benchmark::State& state) {
    if (g_pScene == nullptr) {
        state.SkipWithError("no GL context or pack");
        return;
    }
    const int nBoard = static_cast<int>(state.range(0));
    g_pScene->SetBoard(nBoard, static_cast<int>(state.range(1)));
    const stCamGeom view = WhiteSideCamera(kElevation, kDistance);
    float fSky = 0.0f;
    for (int i = 0; i < kWarmupFrames; ++i) g_pScene->Draw(view, fSky);
    glFinish();
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        fSky += kSkyStep;
        g_pScene->Draw(view, fSky);
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["p99_ms"] = Percentile(ms, kP99);
}

}  // namespace

BENCHMARK(BM_SceneFrame)
    ->ArgsProduct({{0, 1, 2}, {0}})
    ->ArgNames({"board", "material"})
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    COffscreenGl gl;
    CResource pack;
    CViewerScene scene;
    std::string error;
    pack.SetDatFile(KD_RES_PACK_PATH);
    if (!pack.Open()) std::fprintf(stderr, "frame_bench: %s\n", pack.LastError().c_str());
    else if (!gl.Create(kWidth, kHeight, false, error)) std::fprintf(stderr, "frame_bench: %s\n", error.c_str());
    else if (!scene.Load(pack, kFieldPoints, error)) std::fprintf(stderr, "frame_bench: %s\n", error.c_str());
    else {
        g_pScene = &scene;
        std::printf("GL: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_pScene != nullptr) scene.Release();
    g_pScene = nullptr;
    return 0;
}
