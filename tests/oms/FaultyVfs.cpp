#include "FaultyVfs.h"

#include <cstring>
#include <stdexcept>

namespace
{

struct FaultyFile
{
    sqlite3_file base;
    sqlite3_file* real; // the default VFS's file, right behind this record
    FaultyVfs* owner;
    bool database; // a main database file, not a journal or write-ahead log
};

FaultyFile* Of(sqlite3_file* file)
{
    return reinterpret_cast<FaultyFile*>(file);
}

const sqlite3_io_methods* RealMethods(sqlite3_file* file)
{
    return Of(file)->real->pMethods;
}

int Close(sqlite3_file* file)
{
    return RealMethods(file)->xClose(Of(file)->real);
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    FaultyFile* f = Of(file);
    if (!f->owner->ShouldFail(FaultyVfs::Op::Read, f->database))
        return RealMethods(file)->xRead(f->real, buffer, amount, offset);
    if (f->owner->CurrentEffect() == FaultyVfs::Effect::Fail)
        return f->owner->Code();
    const int result = RealMethods(file)->xRead(f->real, buffer, amount, offset);
    // Every byte set: no page type, header or pointer of SQLite's reads as valid.
    std::memset(buffer, 0xFF, static_cast<std::size_t>(amount));
    return result;
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    FaultyFile* f = Of(file);
    if (f->owner->ShouldFail(FaultyVfs::Op::Write, f->database))
        return f->owner->Code();
    return RealMethods(file)->xWrite(f->real, buffer, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size)
{
    FaultyFile* f = Of(file);
    if (f->owner->ShouldFail(FaultyVfs::Op::Write, f->database))
        return f->owner->Code();
    return RealMethods(file)->xTruncate(f->real, size);
}

int Sync(sqlite3_file* file, int flags)
{
    FaultyFile* f = Of(file);
    if (f->owner->ShouldFail(FaultyVfs::Op::Sync, f->database))
        return f->owner->Code();
    return RealMethods(file)->xSync(f->real, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return RealMethods(file)->xFileSize(Of(file)->real, size);
}

int Lock(sqlite3_file* file, int level)
{
    FaultyFile* f = Of(file);
    if (f->owner->ShouldFail(FaultyVfs::Op::Lock, f->database))
        return f->owner->Code();
    return RealMethods(file)->xLock(f->real, level);
}

int Unlock(sqlite3_file* file, int level)
{
    return RealMethods(file)->xUnlock(Of(file)->real, level);
}

int CheckReservedLock(sqlite3_file* file, int* reserved)
{
    return RealMethods(file)->xCheckReservedLock(Of(file)->real, reserved);
}

int FileControl(sqlite3_file* file, int op, void* argument)
{
    return RealMethods(file)->xFileControl(Of(file)->real, op, argument);
}

int SectorSize(sqlite3_file* file)
{
    return RealMethods(file)->xSectorSize(Of(file)->real);
}

int DeviceCharacteristics(sqlite3_file* file)
{
    return RealMethods(file)->xDeviceCharacteristics(Of(file)->real);
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory)
{
    return RealMethods(file)->xShmMap(Of(file)->real, region, size, extend, memory);
}

int ShmLock(sqlite3_file* file, int offset, int count, int flags)
{
    FaultyFile* f = Of(file);
    // Only taking a lock fails; giving one back always works, as it does on a real system.
    if ((flags & SQLITE_SHM_LOCK) && f->owner->ShouldFail(FaultyVfs::Op::Lock, f->database))
        return f->owner->Code();
    return RealMethods(file)->xShmLock(f->real, offset, count, flags);
}

void ShmBarrier(sqlite3_file* file)
{
    RealMethods(file)->xShmBarrier(Of(file)->real);
}

int ShmUnmap(sqlite3_file* file, int deleteFlag)
{
    return RealMethods(file)->xShmUnmap(Of(file)->real, deleteFlag);
}

// Never a memory map: every page is read through xRead, where the faults are.
int Fetch(sqlite3_file*, sqlite3_int64, int, void** page)
{
    *page = nullptr;
    return SQLITE_OK;
}

int Unfetch(sqlite3_file*, sqlite3_int64, void*)
{
    return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

FaultyVfs* Owner(sqlite3_vfs* vfs)
{
    return static_cast<FaultyVfs*>(vfs->pAppData);
}

sqlite3_vfs* Real()
{
    // The default VFS as the library registered it ("unix"), whatever is the default now.
    static sqlite3_vfs* real = sqlite3_vfs_find("unix");
    return real;
}

int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    FaultyFile* f = Of(file);
    f->base.pMethods = nullptr;
    f->owner = Owner(vfs);
    f->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    if (f->owner->ShouldFail(FaultyVfs::Op::Open, f->database))
        return f->owner->Code();
    const int result = Real()->xOpen(Real(), name, f->real, flags, outFlags);
    if (result == SQLITE_OK)
        f->base.pMethods = &kMethods;
    return result;
}

int Delete(sqlite3_vfs*, const char* name, int syncDirectory)
{
    return Real()->xDelete(Real(), name, syncDirectory);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* result)
{
    return Real()->xAccess(Real(), name, flags, result);
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return Real()->xFullPathname(Real(), name, size, out);
}

void* DlOpen(sqlite3_vfs*, const char* name)
{
    return Real()->xDlOpen(Real(), name);
}

void DlError(sqlite3_vfs*, int size, char* message)
{
    Real()->xDlError(Real(), size, message);
}

void (*DlSym(sqlite3_vfs*, void* library, const char* symbol))(void)
{
    return Real()->xDlSym(Real(), library, symbol);
}

void DlClose(sqlite3_vfs*, void* library)
{
    Real()->xDlClose(Real(), library);
}

int Randomness(sqlite3_vfs*, int size, char* out)
{
    return Real()->xRandomness(Real(), size, out);
}

int Sleep(sqlite3_vfs*, int microseconds)
{
    return Real()->xSleep(Real(), microseconds);
}

int CurrentTime(sqlite3_vfs*, double* now)
{
    return Real()->xCurrentTime(Real(), now);
}

int GetLastError(sqlite3_vfs*, int size, char* message)
{
    return Real()->xGetLastError(Real(), size, message);
}

int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now)
{
    return Real()->xCurrentTimeInt64(Real(), now);
}

} // namespace

FaultyVfs::FaultyVfs()
{
    if (!Real())
        throw std::runtime_error("SQLite has no unix VFS to wrap");
    m_real = Real();
    m_vfs.iVersion = 2;
    m_vfs.szOsFile = static_cast<int>(sizeof(FaultyFile)) + m_real->szOsFile;
    m_vfs.mxPathname = m_real->mxPathname;
    m_vfs.zName = "kivo-faulty";
    m_vfs.pAppData = this;
    m_vfs.xOpen = Open;
    m_vfs.xDelete = Delete;
    m_vfs.xAccess = Access;
    m_vfs.xFullPathname = FullPathname;
    m_vfs.xDlOpen = DlOpen;
    m_vfs.xDlError = DlError;
    m_vfs.xDlSym = DlSym;
    m_vfs.xDlClose = DlClose;
    m_vfs.xRandomness = Randomness;
    m_vfs.xSleep = Sleep;
    m_vfs.xCurrentTime = CurrentTime;
    m_vfs.xGetLastError = GetLastError;
    m_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
    sqlite3_vfs_register(&m_vfs, 1);
}

FaultyVfs::~FaultyVfs()
{
    sqlite3_vfs_unregister(&m_vfs);
    sqlite3_vfs_register(m_real, 1);
}

void FaultyVfs::Arm(Op op, int n, int code, bool persist)
{
    ArmWith(op, n, code, persist, Effect::Fail);
}

void FaultyVfs::ArmGarbledRead(int n)
{
    ArmWith(Op::Read, n, SQLITE_OK, false, Effect::Garble);
}

void FaultyVfs::ArmWith(Op op, int n, int code, bool persist, Effect effect)
{
    m_armed = false;
    m_op = op;
    m_effect = effect;
    m_countdown = n;
    m_code = code;
    m_persist = persist;
    m_fired = false;
    m_armed = true;
}

void FaultyVfs::Clear()
{
    m_armed = false;
    m_fired = false;
}

bool FaultyVfs::ShouldFail(Op op, bool databaseFile)
{
    if (!m_armed || m_op != op)
        return false;
    if (m_effect == Effect::Garble && !databaseFile)
        return false;
    if (m_fired)
        return m_persist;
    if (--m_countdown > 0)
        return false;
    m_fired = true;
    return true;
}
