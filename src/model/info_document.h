#pragma once
// The document `stl2bas info --json` prints and the page shows: what the read
// found and what the target gets, field by field in the order scripts know
// them. Numbers that are not whole are the model's 32-bit floats.

#include <string>

#include <nlohmann/json.hpp>

#include "core/mesh_store.h"
#include "model/input_choice.h"
#include "model/load_model.h"
#include "model/model_report.h"

using Json = nlohmann::ordered_json;

// The fields of a model loaded from `input` (a name that is not UTF-8 also
// as its bytes, `file_bytes`), the reduction's figures when it was reduced.
// Not its simplify_error, whose printing is the caller's.
Json Info_Document(const std::string& input, const Input_Choice& choice, const MeshStore& store,
                   const Model_Result& result, const Model_Report& report);
