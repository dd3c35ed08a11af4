// Keeps the published page live without reloading it: the data feed is fetched every so
// often, and when the time of its data changed the page written with it is fetched and
// its pictures and texts are put in place, so that a reader keeps their place, their open
// details and their scroll position. Without this script the page stays as written and
// says to reload it.
(function () {
  "use strict";
  var FEED = "Tidemark_values.json";
  var status, pause, note, paused = false, timer = 0, busy = false;

  function clock() {
    var d = new Date();
    return ("0" + d.getHours()).slice(-2) + ":" + ("0" + d.getMinutes()).slice(-2);
  }

  function say(text) {
    if (note) note.textContent = text;
  }

  function pageAddress() {
    var path = location.pathname;
    return path.charAt(path.length - 1) === "/" ? path + "index.html" : path;
  }

  function fetchText(address) {
    return fetch(address, { cache: "no-cache" }).then(function (reply) {
      if (!reply.ok) throw new Error(address + ": " + reply.status);
      return reply.text();
    });
  }

  // The picture at its new version: the same name, with a query that no cache holds.
  function renewImages(from, to, version) {
    var fresh = from.querySelectorAll("img[src]");
    var shown = to.querySelectorAll("img[src]");
    if (fresh.length !== shown.length) return false;
    for (var i = 0; i < shown.length; i++) {
      var src = fresh[i].getAttribute("src");
      if (src.split("?")[0] !== shown[i].getAttribute("src").split("?")[0]) return false;
    }
    for (var j = 0; j < shown.length; j++) {
      var img = shown[j], next = fresh[j];
      img.setAttribute("alt", next.getAttribute("alt") || "");
      if (next.hasAttribute("width")) img.setAttribute("width", next.getAttribute("width"));
      if (next.hasAttribute("height")) img.setAttribute("height", next.getAttribute("height"));
      img.setAttribute("src", next.getAttribute("src") + "?v=" + version);
    }
    return true;
  }

  // The texts of a section (marked data-tidemark-text) replaced by their new versions;
  // the elements around them, open details among them, stay.
  function renewTexts(from, to) {
    var fresh = from.querySelectorAll("[data-tidemark-text]");
    var shown = to.querySelectorAll("[data-tidemark-text]");
    if (fresh.length !== shown.length) return false;
    for (var i = 0; i < shown.length; i++)
      if (fresh[i].getAttribute("data-tidemark-text") !== shown[i].getAttribute("data-tidemark-text")) return false;
    for (var j = 0; j < shown.length; j++) shown[j].innerHTML = fresh[j].innerHTML;
    return true;
  }

  function withPictureVersions(section, version) {
    var imgs = section.querySelectorAll("img[src]");
    for (var i = 0; i < imgs.length; i++) imgs[i].setAttribute("src", imgs[i].getAttribute("src") + "?v=" + version);
    return section;
  }

  // The pages of the new version in its order: a section whose shape is unchanged is
  // updated in place, any other taken whole.
  function apply(doc, version) {
    var list = document.getElementById("tidemark-pages");
    var freshList = doc.getElementById("tidemark-pages");
    if (!list || !freshList) return false;
    var freshSections = freshList.querySelectorAll("section.tidemark-page");
    var keep = {};
    var before = null;
    for (var i = 0; i < freshSections.length; i++) {
      var fresh = freshSections[i];
      var shown = document.getElementById(fresh.id);
      if (shown && shown.parentNode === list) {
        // Imported only when needed: an imported picture is fetched at once, lazy or not.
        if (!renewTexts(fresh, shown) || !renewImages(fresh, shown, version)) {
          var copy = document.importNode(withPictureVersions(fresh, version), true);
          list.replaceChild(copy, shown);
          shown = copy;
        }
      } else {
        shown = document.importNode(withPictureVersions(fresh, version), true);
        list.insertBefore(shown, before ? before.nextSibling : list.firstChild);
      }
      keep[fresh.id] = true;
      before = shown;
    }
    var sections = list.querySelectorAll("section.tidemark-page");
    for (var k = 0; k < sections.length; k++) if (!keep[sections[k].id]) list.removeChild(sections[k]);
    var freshStatus = doc.getElementById("tidemark-status");
    if (freshStatus) {
      renewTexts(freshStatus, status);
      status.setAttribute("data-time", freshStatus.getAttribute("data-time") || "");
    }
    return true;
  }

  // The latest time of the feed's values, in ms; NaN when it has none.
  function latestTime(feed) {
    var latest = NaN;
    var values = feed && feed.values ? feed.values : [];
    for (var i = 0; i < values.length; i++) {
      var t = Date.parse(values[i].time);
      if (!isNaN(t) && !(t <= latest)) latest = t;
    }
    return latest;
  }

  function shownTime() {
    return Date.parse(status.getAttribute("data-time"));
  }

  function check() {
    if (paused || busy) return;
    busy = true;
    fetchText(FEED)
      .then(function (text) {
        var latest = latestTime(JSON.parse(text));
        if (isNaN(latest) || latest === shownTime()) return false;
        // The page is written after the feed: until it has arrived it shows the older
        // time, and the next check fetches it again.
        return fetchText(pageAddress()).then(function (html) {
          var x = window.scrollX, y = window.scrollY;
          var doc = new DOMParser().parseFromString(html, "text/html");
          if (!apply(doc, Date.now())) throw new Error("the page changed its form");
          window.scrollTo(x, y);
          return true;
        });
      })
      .then(function (changed) {
        // The note is a live region: it speaks only when something happened.
        if (changed) say("Updated at " + clock() + "; checks for newer data every " + every() + " s.");
      })
      .catch(function () {
        say("Could not check for newer data at " + clock() + "; trying again in " + every() + " s.");
      })
      .then(function () {
        busy = false;
      });
  }

  function every() {
    var s = parseInt(status.getAttribute("data-refresh"), 10);
    return s > 5 ? s : 5;
  }

  function start() {
    clearInterval(timer);
    timer = setInterval(check, every() * 1000);
  }

  function toggle() {
    paused = !paused;
    pause.setAttribute("aria-pressed", paused ? "true" : "false");
    if (paused) {
      clearInterval(timer);
      say("Updates paused; press the button again to resume them.");
    } else {
      say("Updates resumed; checks for newer data every " + every() + " s.");
      start();
      check();
    }
  }

  function init() {
    status = document.getElementById("tidemark-status");
    if (!status || !window.fetch || !window.DOMParser) return;
    pause = document.getElementById("tidemark-pause");
    note = document.getElementById("tidemark-note");
    if (pause) {
      pause.hidden = false;
      pause.addEventListener("click", toggle);
    }
    say("This page updates itself: it checks for newer data every " + every() + " s.");
    start();
  }

  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", init);
  else init();
})();
