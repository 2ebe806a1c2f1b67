#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <string>

#include "app/endpoints.h"

namespace lumaru::test {

class LoopbackHttpServer;

// Endpoints that all point at the server; nothing leaves the machine.
Endpoints LoopbackEndpoints(const LoopbackHttpServer& server);

// Waits, handling events, until the condition holds or the time runs out.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Destroys every window still open and puts the program, its shared state and its endpoints back
// as a fresh process has them.
void CloseAllWindowsAndReset();

// A remote configuration page body with the article markers around the given entries.
std::string ConfigPage(const std::string& entries);

}  // namespace lumaru::test

#include <QTest>

template <typename Condition>
bool lumaru::test::WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}
