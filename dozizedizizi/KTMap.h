// The hash map behind every map of the console: chained buckets, nodes handed out from blocks,
// and a hash that spreads the console's clustered field ids (integer keys) over the buckets.
// The table starts with 100 buckets, as the framework's does; unlike that one it grows once it
// holds more entries than buckets (kMaxChain a bucket on average), so that a lookup visits about
// one node however many pending requests the console holds. At a million the nodes and buckets
// lie in large pages (LargeBlocks.h): what a lookup then waits for is the node's own cache line.
#pragma once

#include "base/LargeBlocks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

// One step of the Park-Miller minimal standard generator (16807 * key mod 2^31 - 1), by Schrage's
// method so that nothing overflows 32 bits. Neighbouring ids land far apart.
constexpr unsigned int KTHashInteger(std::int32_t key)
{
    constexpr std::int32_t kMultiplier = 16807;
    constexpr std::int32_t kModulus = 2147483647;
    constexpr std::int32_t kQuotient = 127773; // kModulus / kMultiplier
    constexpr std::int32_t kRemainder = 2836;  // kModulus % kMultiplier
    const std::int32_t hi = key / kQuotient;
    const std::int32_t lo = key % kQuotient;
    // hi and lo share the key's sign, so the two products pull in opposite directions and stay in range.
    std::int32_t next = kMultiplier * lo - kRemainder * hi;
    if (next < 0)
        next += kModulus;
    return static_cast<unsigned int>(next);
}

// The framework's standard string hash (hash * 33 + character, up to the first NUL). Characters
// count as signed bytes, as the framework's single-byte strings do.
constexpr unsigned int KTHashString(std::string_view key)
{
    unsigned int hash = 0;
    for (char c : key)
    {
        if (c == '\0')
            break;
        hash = (hash << 5) + hash + static_cast<unsigned int>(static_cast<signed char>(c));
    }
    return hash;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE> class CKTMap
{
    struct Node
    {
        Node* pNext = nullptr;
        unsigned int nHashValue = 0;
        KEY key{};
        VALUE value{};
    };

public:
    static constexpr unsigned int kDefaultHashTableSize = 100;
    static constexpr int kBlockSize = 10;
    static constexpr unsigned int kMaxChain = 1;

    // Opaque iteration handle: empty when the iteration is over.
    class Position
    {
    public:
        Position() = default;
        explicit operator bool() const { return m_pNode != nullptr; }

    private:
        friend class CKTMap;
        explicit Position(const Node* node) : m_pNode(node) {}
        const Node* m_pNode = nullptr;
    };

    CKTMap() = default;
    CKTMap(const CKTMap&) = delete;
    CKTMap& operator=(const CKTMap&) = delete;

    static unsigned int HashKey(ARG_KEY key)
    {
        if constexpr (std::is_integral_v<std::remove_cvref_t<ARG_KEY>>)
            return KTHashInteger(static_cast<std::int32_t>(key));
        else
            return KTHashString(std::string_view(key));
    }

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    unsigned int GetHashTableSize() const { return m_nHashTableSize; }
    int GetBlockCount() const { return m_nBlocks; }

    // The bucket the key falls in with the current table size.
    unsigned int GetBucket(ARG_KEY key) const { return HashKey(key) % m_nHashTableSize; }

    // Sets the bucket count for the first allocation; ignored once the table exists.
    void InitHashTable(unsigned int nHashSize)
    {
        if (m_buckets.empty() && nHashSize > 0)
            m_nHashTableSize = nHashSize;
    }

    bool Lookup(ARG_KEY key, VALUE& rValue) const
    {
        const Node* node = Find(key, HashKey(key));
        if (!node)
            return false;
        rValue = node->value;
        return true;
    }

    // The value under the key, inserted default-constructed when missing.
    VALUE& operator[](ARG_KEY key)
    {
        const unsigned int hash = HashKey(key);
        if (Node* node = Find(key, hash))
            return node->value;
        if (m_buckets.empty())
            m_buckets.assign(m_nHashTableSize, nullptr);
        Node* node = NewNode();
        node->nHashValue = hash;
        node->key = key;
        Node*& head = m_buckets[hash % m_nHashTableSize];
        node->pNext = head;
        head = node;
        if (static_cast<unsigned int>(m_nCount) > kMaxChain * m_nHashTableSize)
            Rehash(m_nHashTableSize * 4 + 1);
        return node->value;
    }

    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    // Frees the node only: a pointer value stays the caller's to delete.
    bool RemoveKey(ARG_KEY key)
    {
        if (m_buckets.empty())
            return false;
        const unsigned int hash = HashKey(key);
        for (Node** link = &m_buckets[hash % m_nHashTableSize]; *link; link = &(*link)->pNext)
        {
            Node* node = *link;
            if (node->nHashValue == hash && node->key == key)
            {
                *link = node->pNext;
                FreeNode(node);
                return true;
            }
        }
        return false;
    }

    void RemoveAll()
    {
        // The table goes with its storage: clear() would keep a million buckets' worth.
        Buckets().swap(m_buckets);
        m_slabs.clear();
        m_nSlabUsed = 0;
        m_nBlocks = 0;
        m_pFreeList = nullptr;
        m_nCount = 0;
    }

    Position GetStartPosition() const { return Position(FirstFrom(0)); }

    void GetNextAssoc(Position& rPos, KEY& rKey, VALUE& rValue) const
    {
        const Node* node = rPos.m_pNode;
        rKey = node->key;
        rValue = node->value;
        rPos = Position(node->pNext ? node->pNext : FirstFrom(node->nHashValue % m_nHashTableSize + 1));
    }

    template <class Fn> void ForEach(Fn&& fn) const
    {
        for (const Node* head : m_buckets)
        {
            for (const Node* node = head; node; node = node->pNext)
                fn(node->key, node->value);
        }
    }

private:
    // Moves every node to a table of 'size' buckets; the stored hashes make it a relinking.
    void Rehash(unsigned int size)
    {
        Buckets buckets(size, nullptr);
        for (Node* head : m_buckets)
        {
            while (head)
            {
                Node* next = head->pNext;
                Node*& into = buckets[head->nHashValue % size];
                head->pNext = into;
                into = head;
                head = next;
            }
        }
        m_buckets.swap(buckets);
        m_nHashTableSize = size;
    }

    // The stored hash is compared first: it is cheap and rules out almost every other key.
    Node* Find(ARG_KEY key, unsigned int hash) const
    {
        if (m_buckets.empty())
            return nullptr;
        for (Node* node = m_buckets[hash % m_nHashTableSize]; node; node = node->pNext)
        {
            if (node->nHashValue == hash && node->key == key)
                return node;
        }
        return nullptr;
    }

    const Node* FirstFrom(std::size_t bucket) const
    {
        for (; bucket < m_buckets.size(); ++bucket)
        {
            if (m_buckets[bucket])
                return m_buckets[bucket];
        }
        return nullptr;
    }

    Node* NewNode()
    {
        if (!m_pFreeList)
        {
            // Blocks of ten are cut from slabs that double in size, so that the nodes of a large
            // map lie together rather than among everything else the program allocated between
            // its insertions, up to a large page each (see LargeBlocks.h): a lookup in a million
            // keys then misses the cache once per node, not also the TLB.
            constexpr auto nodes = static_cast<std::size_t>(kBlockSize);
            if (m_slabs.empty() || m_nSlabUsed + nodes > m_nSlabSize)
            {
                m_nSlabSize = m_slabs.empty() ? nodes : std::min(m_nSlabSize * 2, kMaxSlabSize);
                m_slabs.emplace_back(m_nSlabSize);
                m_nSlabUsed = 0;
            }
            Node* block = m_slabs.back().data() + m_nSlabUsed;
            m_nSlabUsed += nodes;
            ++m_nBlocks;
            for (int i = kBlockSize - 1; i >= 0; --i)
            {
                block[i].pNext = m_pFreeList;
                m_pFreeList = &block[i];
            }
        }
        Node* node = m_pFreeList;
        m_pFreeList = node->pNext;
        node->pNext = nullptr;
        ++m_nCount;
        return node;
    }

    void FreeNode(Node* node)
    {
        // Release what the key and value hold now rather than when the node is reused.
        node->key = KEY{};
        node->value = VALUE{};
        node->pNext = m_pFreeList;
        m_pFreeList = node;
        if (--m_nCount == 0)
            RemoveAll();
    }

    using Buckets = std::vector<Node*, kivo::LargeBlockAllocator<Node*>>;
    using Slab = std::vector<Node, kivo::LargeBlockAllocator<Node>>;
    // Nodes: whole blocks of ten filling most of a large page.
    static constexpr std::size_t kMaxSlabSize = kivo::kLargePage / sizeof(Node) / kBlockSize * kBlockSize;

    Buckets m_buckets; // allocated at the first insertion
    std::vector<Slab> m_slabs;
    std::size_t m_nSlabSize = 0;
    std::size_t m_nSlabUsed = 0;
    int m_nBlocks = 0; // blocks of kBlockSize nodes handed out
    Node* m_pFreeList = nullptr;
    unsigned int m_nHashTableSize = kDefaultHashTableSize;
    int m_nCount = 0;
};
