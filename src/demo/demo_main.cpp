// lumaru-demo: the program itself, with every outside address pointing at the demo server on
// this machine (lumaru-demo-server).
#include <QApplication>

#include "app/endpoints.h"
#include "app/program.h"
#include "demo/demo_world.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    lumaru::SetEndpoints(lumaru::demo::DemoEndpoints());
    return lumaru::ProgramStart();
}
