#pragma once

#include <QObject>

#include <functional>

namespace parlowind {

// One application per session: the first start owns the bus name, a second
// start asks it to come forward and exits.
namespace SingleInstance {

enum class Claim {
    owned, // this process is the application
    handedOver, // another instance runs and was asked to come forward
    noBus, // no session bus: run, but alone and unreachable
};

// Takes the name, or hands over to its owner. `waitSeconds` keeps trying
// while an instance that asked for a relaunch is still exiting.
Claim claim(double waitSeconds = 0);

// Publishes the hand-over method; `onActivate` runs on the UI thread.
void serve(std::function<void()> onActivate, QObject *parent);

} // namespace SingleInstance
} // namespace parlowind
