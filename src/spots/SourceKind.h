#pragma once

// The kinds of source a destination tells apart, one destination handler
// (FromMircUser .. FromPassThru) each.
enum class SourceKind {
    MircUser,
    ClusterUser,
    ClusseUser,
    ClusterNode,
    Command,
    Direct,
    CTNetwork,
    CTUser,
    PassThru,
};
