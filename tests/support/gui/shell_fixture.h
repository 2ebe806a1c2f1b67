#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>

#include "loopback_http_server.h"
#include "recording_desktop.h"

namespace lumaru {
class MainWindow;
}

namespace lumaru::test {

// A started program without its event loop: loopback endpoints, a configuration page whose
// route k has the prefix RoutePrefix(k), a recording desktop, and the main window loaded and
// shown after the notice said it is up to date. Every page the server serves names its own
// address, and "/popup.html?to=X" asks for a new window on X.
class ShellTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the main window as the program's start does (the notice window runs inside).
    void LoadMain();

    std::string RoutePrefix(int route) const;
    QString Url(const std::string& path) const {
        return QString::fromStdString(server_->Url(path));
    }

    std::unique_ptr<LoopbackHttpServer> server_;
    std::string configPage_;
    RecordingDesktop* desktop_ = nullptr;
    MainWindow* main_ = nullptr;
};

}  // namespace lumaru::test
