#pragma once

#include <functional>

// Waits until busy() answers false and still does after one more turn of the event loop:
// the answers of folder looks come on later turns and may ask for more. False when that
// does not happen within the time given.
bool waitUntilSettled(const std::function<bool()>& busy, int timeoutMs = 10000);
