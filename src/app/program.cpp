#include "app/program.h"

#include <QApplication>
#include <memory>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/window_registry.h"
#include "skin/memory_module.h"
#include "skin/skin_engine.h"

namespace lumaru {

int ProgramStart() {
    // Our window registry decides when the program ends: a hidden window still counts.
    QApplication::setQuitOnLastWindowClosed(false);
    Program& program = Program::Instance();
    State().skinEngineLoader = std::make_shared<MemoryModule>();
    program.RegisterExitRoutine(&ProgramExit);
    LoadSkinEngine();
    LoadWindow<MainWindow>();
    return program.RunEventLoop();
}

void ProgramExit() {
    SharedState& state = State();
    for (std::string& route : state.routeTable) {
        route.clear();
    }
    state.currentSkin.bytes.clear();
    state.skinEngineLoader.reset();
    for (std::string* text : {&state.edition10, &state.edition11, &state.edition13,
                              &state.edition12, &state.edition3, &state.editionn3}) {
        text->clear();
    }
    // Workers still running are stopped and awaited: a stop request aborts their transfers, and
    // none of them may outlive the objects it uses.
    state.catalogueWorker.reset();
    state.searchWorker.reset();
}

}  // namespace lumaru
