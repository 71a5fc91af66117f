#include "process/helperthread.h"

#include "process/threadname.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <malloc.h>

namespace {

std::atomic<bool> g_refuseStarts = false;

// glibc gives every thread that allocates an arena of its own, up to eight per processor,
// each reserving 64 MiB of address space: under a limit of address space that is room the
// lists never get. As many arenas as processors serve threads that allocate at once.
void limitHeapArenas()
{
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, int(std::max(2u, std::thread::hardware_concurrency()))); });
}

struct Start {
    std::string name;
    std::function<void()> body;
};

void* runStart(void* argument)
{
    const std::unique_ptr<Start> start(static_cast<Start*>(argument));
    ThreadName::setForThisThread(start->name.c_str());
    start->body();
    return nullptr;
}

} // namespace

HelperThread::HelperThread(HelperThread&& other) noexcept
    : m_thread(other.m_thread)
    , m_started(std::exchange(other.m_started, false))
{
}

HelperThread& HelperThread::operator=(HelperThread&& other) noexcept
{
    if (this != &other) {
        join();
        m_thread = other.m_thread;
        m_started = std::exchange(other.m_started, false);
    }
    return *this;
}

HelperThread::~HelperThread() { join(); }

bool HelperThread::start(std::string name, std::function<void()> body, std::size_t stackBytes)
{
    if (m_started || g_refuseStarts)
        return false;
    limitHeapArenas();
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    if (stackBytes != kHostStack)
        pthread_attr_setstacksize(&attributes, stackBytes);
    auto* start = new Start{std::move(name), std::move(body)};
    m_started = pthread_create(&m_thread, &attributes, runStart, start) == 0;
    pthread_attr_destroy(&attributes);
    if (!m_started)
        delete start;
    return m_started;
}

void HelperThread::join()
{
    if (m_started) {
        pthread_join(m_thread, nullptr);
        m_started = false;
    }
}

void HelperThread::refuseStarts(bool refuse) { g_refuseStarts = refuse; }
