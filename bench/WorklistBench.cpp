// One worklist item as the confirmation makes it, without the files: a fresh UID, the item from
// the request, and its bytes from DCMTK. What an item adds to an order file beyond its file calls.
#include <benchmark/benchmark.h>

#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "worklist/WorklistItem.h"

using namespace morvik;

namespace {

PatientRequest request() {
    return ParseRequest(CreateGDTLine("8000", "6302") + CreateGDTLine("9206", "2") +
                        CreateGDTLine("3000", "4711") + CreateGDTLine("3101", "Müller") +
                        CreateGDTLine("3102", "Jürgen") + CreateGDTLine("3103", "30061922") +
                        CreateGDTLine("3110", "1"));
}

WorklistOrder order() {
    WorklistOrder order;
    order.accessionNumber = "RAD0000901";
    order.bodyPart = {"Thorax p.a.", "THPA", "1021"};
    order.modality = "DX";
    order.stationAeTitle = "ROENTGEN1";
    order.comment = "Verdacht auf Pneumonie";
    order.moment = {2026, 12, 8, 9, 30, 0};
    return order;
}

void BM_NewStudyInstanceUid(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(NewStudyInstanceUid());
}
BENCHMARK(BM_NewStudyInstanceUid);

void BM_WorklistItemBytes(benchmark::State& state) {
    if (!WorklistAvailable()) {
        state.SkipWithError("this build encodes no worklist items");
        return;
    }
    const PatientRequest patient = request();
    WorklistOrder item = order();
    for (auto _ : state) {
        item.studyInstanceUid = NewStudyInstanceUid();
        benchmark::DoNotOptimize(WorklistItemBytes(MakeWorklistItem(patient, item)));
    }
}
BENCHMARK(BM_WorklistItemBytes);

}  // namespace
