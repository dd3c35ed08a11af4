#include "app/json_export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cmath>

#include "core/textfile.h"
#include "data/load_pages.h"
#include "render/page_view.h"
#include "render/showgraphs.h"
#include "setup/web_screen_slot.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

QString Text(const std::string& s) { return ProgramText(s); }

QJsonValue DayOrNull(double day) { return day == 0 ? QJsonValue() : QJsonValue(day); }

QJsonValue Number(double v) { return std::isfinite(v) ? QJsonValue(v) : QJsonValue(); }

// A headless page view: nothing to show, no timers, and no page images.
class ExportPageView : public PageView {
public:
    void BeginDrawing() override {}
    void SetBackgroundColor(int32_t) override {}
    void HideBrowsers() override {}
    void HideSlotBoxes(int) override {}
    void StartWarningBlink() override {}
    void LayoutPage() override {}
    void EndDrawing() override {}
    void FocusMainTextBox() override {}
    void StopPagingTimer() override {}
    void RestartPagingTimer() override {}
    void WaitMilliseconds(int) override {}
    void SavePageImage() override {}
    int ScreenSizeClass() const override { return 0; }
};

QJsonObject XAxisJson(const ChartAxis& a) {
    return QJsonObject{{"auto", a.scale.automatic},       {"log", a.scaleType == ScaleType::Logarithmic},
                       {"min", Number(a.scale.minimum)},  {"max", Number(a.scale.maximum)},
                       {"major", a.scale.majorDivisions}, {"minor", a.scale.minorDivisions},
                       {"format", Text(a.labelFormat)}};
}

QJsonObject YAxisJson(const ChartAxis& a, const YScale* scale) {
    QJsonObject o{{"auto", a.scale.automatic}, {"log", a.scaleType == ScaleType::Logarithmic}};
    if (scale) {
        o["min"] = Number(scale->min);
        o["max"] = Number(scale->max);
        o["step"] = Number(scale->step);
        o["major"] = scale->major;
    }
    return o;
}

QJsonArray ColumnJson(const ChartSurface& chart, int column) {
    QJsonArray values;
    for (int r = 1; r <= chart.RowCount(); ++r) {
        auto v = chart.Cell(r, column);
        values.append(v ? Number(*v) : QJsonValue());
    }
    return values;
}

// The traces a graph shows, each with its chart columns, label and stored points.
QJsonArray TracesJson(const ProgramState& state, int page, int slot) {
    QJsonArray traces;
    const GraphDef& g = state.pages.Graph(page, slot);
    for (int n = 1; n <= g.tracecount; ++n) {
        const ModelTrace* trace = state.traces.Find(page, slot, n);
        if (!trace) continue;
        QJsonArray points;
        for (int i = 1; i <= trace->PointRoom(); ++i) {
            const SeriesPoint& p = trace->points[static_cast<size_t>(i)];
            if (!IsMissing(p.value)) points.append(QJsonArray{p.time, p.value});
        }
        traces.append(QJsonObject{{"trace", n},
                                  {"columns", QJsonArray{2 * n + 11, 2 * n + 12}},
                                  {"label", Text(trace->label)},
                                  {"lastRun", Text(state.traces.FindGraph(page, slot)->lastRunText)},
                                  {"points", points}});
    }
    return traces;
}

QJsonObject GraphJson(const ProgramState& state, const RenderState& render, int page, int slot) {
    const GraphDef& g = state.pages.Graph(page, slot);
    const ChartSurface& chart = render.charts[static_cast<size_t>(slot)];
    QJsonObject o{{"slot", slot}, {"dsid", g.dsid}};
    if (g.Kind() == SlotKind::WebScreen) {
        o["web"] = true;
        o["title"] = Text(WebScreenView(g).Address());
        return o;
    }
    const auto& labels = state.labels;
    std::string unit = static_cast<size_t>(page) < labels.size()
                           ? labels[static_cast<size_t>(page)][static_cast<size_t>(slot)].unit
                           : std::string();
    o["title"] = Text(render.titles[static_cast<size_t>(slot)]);
    o["currentValue"] = Number(render.currentValues[static_cast<size_t>(slot)]);
    o["unit"] = Text(unit);
    o["warning"] = render.warningFlags[static_cast<size_t>(slot)] != kWarningClear;
    o["xAxis"] = XAxisJson(chart.XAxis());
    o["yAxis"] = YAxisJson(chart.YAxis(), render.FindScale(page, slot));
    o["rows"] = chart.RowCount();
    o["columns"] = chart.ColumnCount();
    QJsonArray series;
    for (int x = 1; x + 1 <= chart.ColumnCount(); x += 2) {
        const ChartSeries& s = chart.Series(x);
        series.append(QJsonObject{{"column", x},
                                  {"legend", Text(s.legendText)},
                                  {"line", s.showLine},
                                  {"markerVisible", s.marker.visible},
                                  {"markerStyle", static_cast<int>(s.marker.style)},
                                  {"color", s.pen.color},
                                  {"x", ColumnJson(chart, x)},
                                  {"y", ColumnJson(chart, x + 1)}});
    }
    o["series"] = series;
    o["traces"] = TracesJson(state, page, slot);
    return o;
}

}  // namespace

namespace {

// Every line of `text` moved right by `spaces`, as Qt indents what sits deeper in the
// document (its texts never hold a raw line break). `lineStart` carries over pieces.
void AppendIndented(std::string& out, std::string_view text, size_t spaces, bool& lineStart) {
    for (char c : text) {
        if (lineStart && c != '\n') out.append(spaces, ' ');
        out += c;
        lineStart = c == '\n';
    }
}

std::string Bytes(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<size_t>(bytes.size())); }

// The document in Qt's own layout, written a graph at a time, so that no more than one
// graph's JSON is held at once (a page of 12 graphs of a month of 5-minute values is
// tens of megabytes of indented text). The root object's keys come in Qt's
// (alphabetical) order: the two before "pages", then the pages, then the three after
// them; a page's keys likewise: "caption", then its graphs, then "page" and "title".
// A page sits two levels down ("pages", its array) and a graph two below its page.
class PagesJsonWriter {
public:
    PagesJsonWriter(JsonLayout layout, const JsonSink& sink) : layout_(layout), sink_(sink) {}

    Result<void> Begin(const QJsonObject& keysBeforePages) {
        std::string head = Bytes(QJsonDocument(keysBeforePages).toJson(Format()));
        while (!head.empty() && (head.back() == '\n' || head.back() == '}')) head.pop_back();
        return sink_(head + (Indented() ? ",\n    \"pages\": [\n" : ",\"pages\":["));
    }

    // The page's keys before its graphs, and the opening of its graph array.
    Result<void> BeginPage(const QJsonObject& keysBeforeGraphs) {
        std::string head = Bytes(QJsonDocument(keysBeforeGraphs).toJson(Format()));
        while (!head.empty() && (head.back() == '\n' || head.back() == '}')) head.pop_back();
        graphs_ = 0;
        lineStart_ = true;
        std::string piece = pages_++ ? (Indented() ? ",\n" : ",") : "";
        return sink_(piece + InPage(head + (Indented() ? ",\n    \"graphs\": [" : ",\"graphs\":[")));
    }

    Result<void> Graph(const QJsonObject& graph) {
        std::string text = Bytes(QJsonDocument(graph).toJson(Format()));
        while (!text.empty() && text.back() == '\n') text.pop_back();
        std::string piece = graphs_++ ? "," : "";
        if (!Indented()) return sink_(piece + text);
        piece += "\n";
        bool lineStart = true;
        AppendIndented(piece, text, 8, lineStart);
        return sink_(InPage(piece));
    }

    // The graph array's end and the page's keys after it.
    Result<void> EndPage(const QJsonObject& keysAfterGraphs) {
        std::string tail = Bytes(QJsonDocument(keysAfterGraphs).toJson(Format()));
        tail.erase(0, tail.find('{') + 1);
        if (!Indented()) return sink_("]," + tail);
        while (!tail.empty() && tail.back() == '\n') tail.pop_back();
        return sink_(InPage("\n    ]," + tail));
    }

    Result<void> End(const QJsonObject& keysAfterPages) {
        std::string tail = Bytes(QJsonDocument(keysAfterPages).toJson(Format()));
        tail.erase(0, tail.find('{') + 1);
        return sink_((Indented() ? "\n    ],\n" : "],") + tail.substr(tail.find_first_not_of('\n')));
    }

private:
    bool Indented() const { return layout_ == JsonLayout::Indented; }
    QJsonDocument::JsonFormat Format() const { return Indented() ? QJsonDocument::Indented : QJsonDocument::Compact; }

    // A piece of the page's own text where it sits in the document.
    std::string InPage(std::string_view piece) {
        if (!Indented()) return std::string(piece);
        std::string out;
        out.reserve(piece.size() + piece.size() / 8);
        AppendIndented(out, piece, 8, lineStart_);
        return out;
    }

    JsonLayout layout_;
    const JsonSink& sink_;
    int pages_ = 0;
    int graphs_ = 0;
    bool lineStart_ = true;
};

Result<void> WritePageJson(PagesJsonWriter& writer, ProgramState& state, RenderState& render, Host& host, int p) {
    if (Result<void> begun = writer.BeginPage({{"caption", Text(host.Caption())}}); !begun) return begun;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state.pages.Graph(p, s);
        if (g.Kind() != SlotKind::WebScreen && !g.IsDrawnGraph()) continue;
        if (Result<void> written = writer.Graph(GraphJson(state, render, p, s)); !written) return written;
    }
    return writer.EndPage({{"page", p}, {"title", Text(state.pages.Page(p).title)}});
}

}  // namespace

Result<void> WritePagesJson(ProgramState& state, RenderState& render, Host& host, JsonLayout layout,
                            const JsonSink& sink) {
    PagesJsonWriter writer(layout, sink);
    if (Result<void> begun = writer.Begin({{"lastUpdate", DayOrNull(state.lastUpdate)}, {"now", host.Now()}}); !begun)
        return begun;
    ExportPageView view;
    for (int p = 1; p <= state.pages.pagecount; ++p) {
        if (state.pages.Page(p).removed) continue;
        state.currentpage = static_cast<int16_t>(p);
        showgraphs(state, render, host, view);
        if (Result<void> written = WritePageJson(writer, state, render, host, p); !written) return written;
    }
    return writer.End(
        {{"span", state.window.span}, {"windowEnd", state.window.end}, {"windowStart", state.window.start}});
}

std::string ExportPagesJson(ProgramState& state, RenderState& render, Host& host, JsonLayout layout) {
    std::string json;
    Result<void> written = WritePagesJson(state, render, host, layout, [&json](std::string_view piece) -> Result<void> {
        json += piece;
        return {};
    });
    (void)written;  // appending to a string does not fail
    return json;
}

int RunJsonExport(const std::string& programFolder, const std::string& outputPath, JsonLayout layout, Host& host) {
    ProgramState state;
    state.programFolder = programFolder;
    state.loading = true;
    LoadPagesResult loaded = LoadPages(state, host, LoadMode::Full);
    state.loading = false;
    if (!loaded) return 1;
    RenderState render;
    // A graph at a time, so that a folder of a thousand pages needs the memory of one graph
    // beside what the load holds.
    StreamedFile file(outputPath);
    Result<void> written =
        WritePagesJson(state, render, host, layout, [&file](std::string_view piece) { return file.Append(piece); });
    if (written) written = file.Commit();
    if (!written) {
        host.Message("Cannot write the JSON export: " + written.error(), MsgButtons::Ok, MsgIcon::Critical);
        return 1;
    }
    return 0;
}

}  // namespace tidemark
