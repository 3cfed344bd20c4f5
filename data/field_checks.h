// Checks that edit fields run on their values: a key that must not be in a table yet, one that
// must be there (showing what it found), a value that must not be empty. A refused value is a
// stop box titled "Valor no aceptado" and false; the table is left where it was.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace data {

// LNOTEXIST: false, with the message, when `key` is found in `order` of the area of `alias`
// (empty: the selected one).
bool lNotExist(const xb::Value& key, std::string_view alias = {}, const xb::Value& order = xb::Value::Integer(1),
               std::string_view message = "Este valor ya existe en ficheros");

// LEXIST: false, with the message, when `key` is not found. When it is, the found record's
// `field` (a name, a number or a block) goes to `label` (its text) and to `edit` (its value),
// both repainted.
bool lExist(const xb::Value& key, std::string_view alias = {}, const xb::Value& order = xb::Value::Integer(1),
            std::string_view message = "Este valor no existe en ficheros", const xb::Value& field = {},
            const xb::Value& label = {}, const xb::Value& edit = {});

// LNOTEMPTY: false, with the message titled "Valor no Aceptado", for an empty value.
bool lNotEmpty(const xb::Value& value, std::string_view message = "Este valor no puede quedar vacío");

// Registers LNOTEXIST, LEXIST and LNOTEMPTY.
void RegisterFieldChecks();

}  // namespace data
