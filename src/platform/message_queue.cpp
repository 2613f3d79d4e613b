// Per-thread message queues: post from any thread, send on the same thread
// or across threads (the sender blocks, serving sends aimed at itself),
// peek / get / dispatch, paint messages when a queue is otherwise empty.
#include <algorithm>

#include "platform/internal.h"

namespace plat {

using namespace detail;

namespace detail {

namespace {
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (queue) endThread();
    }
};
thread_local QueueHolder tlsQueue;
}  // namespace

std::shared_ptr<ThreadQueue> currentQueue() {
    if (!tlsQueue.queue) {
        tlsQueue.queue = std::make_shared<ThreadQueue>();
        tlsQueue.queue->thread = std::this_thread::get_id();
    }
    return tlsQueue.queue;
}

}  // namespace detail

namespace {

// Runs the sends queued for this thread. Called without the mutex.
bool serveSent(const std::shared_ptr<ThreadQueue>& q) {
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> sm;
        {
            std::lock_guard lock(state().mutex);
            if (q->sent.empty()) break;
            sm = q->sent.front();
            q->sent.pop_front();
        }
        const Message& m = sm->message;
        const LResult r = callProc(m.window.id, m.msg, m.wParam, m.lParam);
        {
            std::lock_guard lock(state().mutex);
            sm->result = r;
            sm->done = true;
            if (sm->sender) sm->sender->wake();
        }
        any = true;
    }
    return any;
}

// A window of this thread that needs painting, parents first (mutex held).
uint32_t pendingPaint(const std::shared_ptr<ThreadQueue>& q) {
    for (uint32_t id : state().creationOrder) {
        WindowObj* w = find(id);
        if (w && w->queue == q && w->created && !w->invalid.empty()) {
            // Hidden windows and children of hidden windows do not paint.
            bool shown = true;
            for (WindowObj* a = w; a; a = (a->style & kChild) ? find(a->parent) : nullptr)
                shown = shown && a->visible;
            if (shown) return id;
        }
    }
    return 0;
}

bool anyWork(const std::shared_ptr<ThreadQueue>& q) {
    if (!q->posted.empty() || !q->sent.empty() || pendingPaint(q) != 0) return true;
    for (auto& [id, w] : state().windows)
        if (w->queue == q && !w->destroying && !(w->style & kChild) &&
            (!w->dirty.empty() || w->frameDirty))
            return true;
    return false;
}

}  // namespace

bool postMessage(Window w, Msg m, WParam wp, LParam lp) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    if (!o || !o->queue || !o->queue->alive) return false;
    auto& posted = o->queue->posted;
    // Pointer moves pile up while a thread is busy: keep only the newest.
    if ((m == Msg::MouseMove || m == Msg::CaptureMove || m == Msg::NcMouseMove) &&
        !posted.empty() && posted.back().msg == m && posted.back().window == w) {
        posted.back().wParam = wp;
        posted.back().lParam = lp;
    } else {
        posted.push_back(Message{w, m, wp, lp});
    }
    o->queue->wake();
    return true;
}

void postQuitMessage(int code) {
    auto q = currentQueue();
    std::lock_guard lock(state().mutex);
    q->posted.push_back(Message{Window{}, Msg::Quit, WParam(code), 0});
    q->wake();
}

LResult sendMessage(Window w, Msg m, WParam wp, LParam lp) {
    auto self = currentQueue();
    std::shared_ptr<SentMessage> sm;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* o = find(w.id);
        if (!o) return 0;
        if (o->queue != self) {
            if (!o->queue->alive) return 0;
            sm = std::make_shared<SentMessage>();
            sm->message = Message{w, m, wp, lp};
            sm->sender = self;
            o->queue->sent.push_back(sm);
            o->queue->wake();
        }
    }
    if (!sm) return callProc(w.id, m, wp, lp);
    for (;;) {
        serveSent(self);
        std::unique_lock lock(state().mutex);
        if (sm->done) return sm->result;
        self->cv.wait(lock, [&] { return sm->done || !self->sent.empty(); });
        if (sm->done) return sm->result;
    }
}

bool peekMessage(Message& out, bool remove) {
    auto q = currentQueue();
    if (!q->maybeWork.exchange(false, std::memory_order_acq_rel)) return false;
    serveSent(q);
    {
        std::lock_guard lock(state().mutex);
        if (!q->posted.empty()) {
            out = q->posted.front();
            if (remove) {
                q->posted.pop_front();
                if (out.keyState & Message::kFromInput) detail::threadKeyState() = out.keyState;
            }
            q->maybeWork.store(true, std::memory_order_release);
            return true;
        }
        if (uint32_t id = pendingPaint(q)) {
            out = Message{Window{id}, Msg::Paint, 0, 0};
            q->maybeWork.store(true, std::memory_order_release);
            return true;
        }
    }
    presentDirty();
    return false;
}

bool getMessage(Message& out) {
    auto q = currentQueue();
    for (;;) {
        if (peekMessage(out, true)) return out.msg != Msg::Quit;
        std::unique_lock lock(state().mutex);
        q->cv.wait(lock, [&] { return anyWork(q); });
    }
}

void waitMessage(int timeoutMs) {
    auto q = currentQueue();
    std::unique_lock lock(state().mutex);
    q->cv.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                   [&] { return anyWork(q); });
}

LResult dispatchMessage(const Message& m) {
    if (!m.window || m.msg == Msg::Quit) return 0;
    const LResult r = callProc(m.window.id, m.msg, m.wParam, m.lParam);
    if (m.msg == Msg::Paint) {
        // A procedure that did not paint still validates, or the paint
        // message would come back at once.
        validate(m.window);
        presentDirty();
    }
    return r;
}

void runModalLoop(Window w, const bool& done) {
    Message msg;
    while (!done && isWindow(w)) {
        if (!peekMessage(msg, true)) {
            waitMessage(50);
            continue;
        }
        if (msg.msg == Msg::Quit) {
            postQuitMessage(int(msg.wParam));
            return;
        }
        dispatchMessage(msg);
    }
}

void endThread() {
    auto q = tlsQueue.queue;
    if (!q) return;
    std::vector<uint32_t> mine;
    {
        std::lock_guard lock(state().mutex);
        q->alive = false;
        for (auto& [id, w] : state().windows)
            if (w->queue == q && !(w->style & kChild)) mine.push_back(id);
        for (auto& sm : q->sent) {
            sm->done = true;
            if (sm->sender) sm->sender->wake();
        }
        q->sent.clear();
    }
    // Windows left by an ending thread go without their procedures.
    std::lock_guard lock(state().mutex);
    std::vector<uint32_t> tree;
    for (uint32_t id : mine) collectTree(id, tree);
    removeWindows(tree);
    tlsQueue.queue.reset();
}

}  // namespace plat
