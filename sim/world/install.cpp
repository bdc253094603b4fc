// Putting the world into the stand-in host.
#include "sim/world/native_table.h"
#include "sim/world/scene.h"
#include "sim/world/text_hash.h"
#include "sim/world/weapons.h"
#include "sim/world/world.h"

#include "sim/host.h"

#include "drag/drag_assets.h"

#include <algorithm>
#include <memory>

namespace sim {

namespace {

// Lives as long as the step hook in the current host: expired once the host
// is reset, so each host gets the hook exactly once.
std::weak_ptr<int>& stepHookToken() {
    static std::weak_ptr<int> token;
    return token;
}

// Writes at most size handles of the list, in order.
int listPeds(int* array, int size) {
    const World& w = world();
    int total = static_cast<int>(w.listed.size());
    int written = std::clamp(total, 0, std::max(size, 0));
    std::copy_n(w.listed.begin(), written, array);
    return w.overReportCount ? total : written;
}

void setDefaultScene() {
    World& w = world();
    w = World{};
    w.ground = [](float, float) -> std::optional<float> { return 0.0f; };
    w.clipWalkRate[{assets::DragClipDict, assets::DragClip}] = -1.2f;
    for (const char* name : RevolverWeapons) {
        w.weaponClassA.insert(textKeyHash(name));
    }
    for (const char* name : PistolWeapons) {
        w.weaponClassB.insert(textKeyHash(name));
    }

    w.player = addPed({0.0f, 0.0f, 0.0f}, 0.0f);
    Ped& player = ped(w.player);
    player.isPlayer = true;
    player.weapons[0] = textKeyHash(assets::UnarmedWeapon);
    player.weapons[1] = textKeyHash(assets::UnarmedWeapon);
}

} // namespace

void installWorld() {
    setDefaultScene();
    for (const WorldNative& native : worldNatives()) {
        defineNative(native.hash, native.role, native.arity(), native.answer);
    }
    Host& h = host();
    h.listPeds = listPeds;
    if (stepHookToken().expired()) {
        auto token = std::make_shared<int>(0);
        stepHookToken() = token;
        h.beforeFrame.push_back([token] { stepWorld(); });
    }
}

} // namespace sim
