// A private lilv world: the LV2 plug-ins, presets and port descriptions one render knows.
#pragma once

#include "host/plugins/Lv2UridMap.h"

#include <lilv/lilv.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct Lv2NodeFree
{
    void operator()(LilvNode* node) const { lilv_node_free(node); }
};
using Lv2Node = std::unique_ptr<LilvNode, Lv2NodeFree>;

// The URIs the host asks lilv about, made once per world.
struct Lv2Vocabulary
{
    explicit Lv2Vocabulary(LilvWorld* world);

    Lv2Node inputPort, outputPort, audioPort, controlPort, cvPort, atomPort;
    Lv2Node connectionOptional, isSideChain, latency, reportsLatency, toggled, integer;
    Lv2Node unit, unitSymbol, label, preset, minimumSize;
};

class Lv2World
{
  public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    // Reads every bundle on LV2_PATH, or on lilv's default path when it is unset.
    void loadInstalled();
    // Reads the one bundle in `folder` and nothing else, so that an installed copy of the
    // same plug-in cannot stand in for it.
    void loadBundle(const std::string& folder);

    // Null when no loaded plug-in has this URI.
    const LilvPlugin* findPlugin(const std::string& uri) const;
    std::vector<const LilvPlugin*> plugins() const;

    LilvWorld* get() const { return world; }
    const Lv2Vocabulary& vocabulary() const { return *words; }
    Lv2UridMap& urids() { return uridMap; }
    // Held while an instance is made, loads a preset or is freed: batch jobs do that from
    // several threads, and lilv's node counts and library list are not made for it.
    std::mutex& access() const { return accessMutex; }

  private:
    void loadUnits();

    LilvWorld* world;
    std::unique_ptr<Lv2Vocabulary> words;
    Lv2UridMap uridMap;
    mutable std::mutex accessMutex;
};

// Where loadInstalled looks, as a user would set LV2_PATH.
std::string lv2SearchPath();

// A node's text (URI or literal), empty for null.
std::string lv2NodeText(const LilvNode* node);
// The same for a node lilv handed over, which it frees.
std::string lv2TakeNodeText(LilvNode* node);
