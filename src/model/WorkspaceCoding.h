#pragma once

#include "base/StoredJsonReader.h"
#include "model/Workspace.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// The stored JSON form of the workspace records: one JSON array of workspaces, every record an
// object whose keys are its field names, written in sorted order; absent optionals are omitted
// (and read as absent when missing or null); UUIDs are 8-4-4-4-12 strings, bytes standard
// Base64, enumerations their raw strings. A split-tree node is an object with exactly one key
// naming its case ("split" or "app"). Unknown keys are ignored.
//
// Decoding throws DecodeFailure (with the path of the offending value) for any missing required
// key, wrong type, unknown enumeration string, malformed UUID or Base64 text; one bad record
// fails the whole list.
// A UTF-8 byte-order mark before the list is dropped.

std::string encodeWorkspaces(const std::vector<Workspace>& workspaces);
// The same into `out` (replacing its content, reusing its memory).
void encodeWorkspaces(const std::vector<Workspace>& workspaces, std::string& out);
// The same for the list as shared records (the form the writer thread is given); byte for byte
// what the list of the records' values encodes to.
void encodeWorkspaces(const std::vector<std::shared_ptr<const Workspace>>& workspaces, std::string& out);
std::vector<Workspace> decodeWorkspaces(std::string_view json);

std::string encodeWorkspace(const Workspace& workspace);
Workspace decodeWorkspace(std::string_view json);

}  // namespace tessane
