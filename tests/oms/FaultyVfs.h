// A SQLite VFS in front of the default one that fails reads, writes, syncs, locks or opens on
// demand, as SQLite's own tests do: "the n-th read from now fails with SQLITE_IOERR_READ", "every
// write fails with SQLITE_FULL", "the n-th page read of the database comes back garbled". While
// an object lives it is the default VFS, so every connection opened meanwhile goes through it;
// with nothing armed it only passes each call on.
#pragma once

#include <sqlite3.h>

#include <atomic>

class FaultyVfs
{
public:
    enum class Op
    {
        Read,
        Write,
        Sync,
        Lock, // the locks of the database file and of the write-ahead log's shared memory
        Open
    };

    // What a failing call does: fail with its code, or (a read of the database file) succeed
    // with the page's bytes garbled, as a sector gone bad gives them.
    enum class Effect
    {
        Fail,
        Garble
    };

    FaultyVfs();
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // The n-th call of 'op' from now (1: the next) fails with 'code'; with 'persist' so does every
    // one after it, until Clear.
    void Arm(Op op, int n, int code, bool persist = false);
    // The n-th read of a database file from now returns garbage instead of its bytes.
    void ArmGarbledRead(int n);
    void Clear();
    // Whether an armed fault has fired since it was armed.
    bool Fired() const { return m_fired.load(); }

    // Called by the VFS's functions: true when this call must fail (or garble).
    bool ShouldFail(Op op, bool databaseFile);
    int Code() const { return m_code.load(); }
    Effect CurrentEffect() const { return m_effect.load(); }

private:
    void ArmWith(Op op, int n, int code, bool persist, Effect effect);

    sqlite3_vfs m_vfs{};
    sqlite3_vfs* m_real = nullptr;

    std::atomic<bool> m_armed{false};
    std::atomic<Op> m_op{Op::Read};
    std::atomic<Effect> m_effect{Effect::Fail};
    std::atomic<int> m_countdown{0};
    std::atomic<int> m_code{SQLITE_IOERR};
    std::atomic<bool> m_persist{false};
    std::atomic<bool> m_fired{false};
};
