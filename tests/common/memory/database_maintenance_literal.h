// The maintenance pass done step by step through the platform's per-key profile
// functions: one read of the database per playlist entry, one write of the rebuild file
// per surviving record, then delete and rename. Every write rewrites the whole file, so
// it is far too slow for a big library; it stays as the reference whose resulting file
// the real pass must match byte for byte.
#pragma once

namespace DatabaseMaintenance {

void rebuildLiteral(bool forceTrim);

}  // namespace DatabaseMaintenance
