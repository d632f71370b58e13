#pragma once

#include <QString>

namespace ecolvar {

// The statements this program runs on the playlist database, S1 to S15. Their texts, what each
// means and which query object runs it are in one table, in lststatements.cpp.
enum class LstStatement { S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, S11, S12, S13, S14, S15 };

// The SQL text of a statement. Values are named parameters (:list, :file, :dir, :path, :n),
// always bound, never written into the text.
QString statementText(LstStatement statement);

} // namespace ecolvar
