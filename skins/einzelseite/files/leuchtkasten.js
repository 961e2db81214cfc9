// Vistrel skin "Einzelseite": the large view ("Leuchtkasten") over the page.
//
// Every link a.foto opens its picture large instead of on its own: with a counter "3 / 54",
// the title and description, buttons and the arrow keys to go back and on, a swipe to the side,
// and Escape, the close button or the browser's back button to close. The picture comes in the
// size the screen needs, chosen by the browser among the copies the link's data-srcset offers
// (or data-srcset-avif, where the browser shows AVIF); the neighbours are loaded ahead. The address gets "#bild-3", so a view can be linked and the
// back button closes it. Without JavaScript the links simply open the large pictures.
(function () {
  "use strict";

  var links = Array.prototype.slice.call(document.querySelectorAll("a.foto"));
  if (!links.length) return;

  var box, stage, image, counter, title, text, note, closer, previous, next;
  var current = -1;
  var opener = null;

  // Whether the browser shows AVIF, found out by showing a picture of one pixel; until it is
  // known, and where it is not, the JPEG copies serve.
  var avif = false;
  var probe = new Image();
  probe.onload = function () { avif = probe.width === 1; };
  probe.src = "data:image/avif;base64,AAAAHGZ0eXBhdmlmAAAAAGF2aWZtaWYxbWlhZgAAAOptZXRhAAAAAAAAACFoZGxy" +
    "AAAAAAAAAABwaWN0AAAAAAAAAAAAAAAAAAAAAA5waXRtAAAAAAABAAAAImlsb2MAAAAAREAAAQABAAAAAAEOAAEAAAAA" +
    "AAAAGAAAACNpaW5mAAAAAAABAAAAFWluZmUCAAAAAAEAAGF2MDEAAAAAamlwcnAAAABLaXBjbwAAABNjb2xybmNseAACAAIA" +
    "BoAAAAAMYXYxQ4EADAAAAAAUaXNwZQAAAAAAAAABAAAAAQAAABBwaXhpAAAAAAMICAgAAAAXaXBtYQAAAAAAAAABAAEEgYID" +
    "hAAAACBtZGF0EgAKCBgABggQEDQgMgoYAAAAQAX172To";

  function element(tag, className, parent) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (parent) parent.appendChild(node);
    return node;
  }

  function button(className, label, text, parent, action) {
    var node = element("button", className, parent);
    node.type = "button";
    node.setAttribute("aria-label", label);
    node.textContent = text;
    node.addEventListener("click", action);
    return node;
  }

  function build() {
    box = element("div", "leuchtkasten", document.body);
    box.hidden = true;
    box.setAttribute("role", "dialog");
    box.setAttribute("aria-modal", "true");
    box.setAttribute("aria-label", "Bild groß");
    var bar = element("div", "leiste", box);
    counter = element("span", "zaehler", bar);
    counter.setAttribute("aria-live", "polite");
    closer = button("schliessen", "Schließen", "✕ Schließen", bar, function () { close(true); });
    stage = element("div", "buehne", box);
    image = element("img", "", stage);
    image.alt = "";
    previous = button("zurueck", "Voriges Bild", "←", stage, function () { show(current - 1); });
    next = button("weiter", "Nächstes Bild", "→", stage, function () { show(current + 1); });
    var caption = element("div", "text", box);
    title = element("p", "titel", caption);
    text = element("p", "", caption);
    note = element("p", "klein", caption);
    box.addEventListener("keydown", trapFocus);
    stage.addEventListener("touchstart", swipeStart, { passive: true });
    stage.addEventListener("touchend", swipeEnd, { passive: true });
  }

  // The width the picture of `link` is shown at, in CSS pixels: as large as the stage allows
  // in the picture's proportions. As the picture's "sizes" it lets the browser pick the copy
  // that is sharp on this screen, and the picture takes it as its natural width.
  function fittedWidth(link) {
    var style = getComputedStyle(stage);
    var width = stage.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    var height = stage.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    var ratio = (Number(link.dataset.breite) || 1) / (Number(link.dataset.hoehe) || 1);
    return Math.max(1, Math.floor(Math.min(width, height * ratio)));
  }

  // Points `target` at the picture of `link`: "sizes" before "srcset", so the browser chooses
  // once; the link's own copy where no choice is offered.
  function setPicture(target, link) {
    target.sizes = fittedWidth(link) + "px";
    var srcset = (avif && link.dataset.srcsetAvif) || link.dataset.srcset;
    if (srcset) target.srcset = srcset;
    target.src = link.href;
  }

  function preload(index) {
    if (index >= 0 && index < links.length) setPicture(new Image(), links[index]);
  }

  // Shows picture `index` (from 0); `record` adds a history entry when the box opens.
  function show(index, record) {
    if (index < 0 || index >= links.length) return;
    if (!box) build();
    var link = links[index];
    var wasOpen = current >= 0;
    current = index;
    counter.textContent = index + 1 + " / " + links.length;
    title.textContent = link.dataset.titel || "";
    text.textContent = link.dataset.text || "";
    note.textContent = [link.dataset.datum, link.dataset.kamera].filter(Boolean).join(" · ");
    previous.hidden = index === 0;
    next.hidden = index === links.length - 1;
    if (!wasOpen) {
      opener = document.activeElement;
      box.hidden = false;
      // The open box keeps the page still, and a swipe at its edge never becomes the
      // browser's gesture for going back a page.
      document.documentElement.classList.add("offen");
    }
    // The stage has its size once the box and the caption are there.
    image.width = Number(link.dataset.breite) || 0;
    image.height = Number(link.dataset.hoehe) || 0;
    image.alt = link.querySelector("img").alt;
    setPicture(image, link);
    preload(index - 1);
    preload(index + 1);
    var hash = "#bild-" + (index + 1);
    if (!wasOpen) {
      if (record) history.pushState({ leuchtkasten: true }, "", hash);
      closer.focus();
    } else if (location.hash !== hash) {
      history.replaceState({ leuchtkasten: true }, "", hash);
    }
  }

  // Closes the box; `back` goes back in the history when opening it added an entry.
  function close(back) {
    if (current < 0) return;
    current = -1;
    box.hidden = true;
    document.documentElement.classList.remove("offen");
    if (opener && opener.focus) opener.focus();
    if (back && history.state && history.state.leuchtkasten) history.back();
    else if (location.hash) history.replaceState(null, "", location.pathname + location.search);
  }

  function trapFocus(event) {
    if (event.key !== "Tab") return;
    var focusable = Array.prototype.filter.call(box.querySelectorAll("button"), function (b) {
      return !b.hidden;
    });
    var first = focusable[0];
    var last = focusable[focusable.length - 1];
    if (event.shiftKey && document.activeElement === first) {
      last.focus();
      event.preventDefault();
    } else if (!event.shiftKey && document.activeElement === last) {
      first.focus();
      event.preventDefault();
    }
  }

  var startX = null;
  var startY = 0;
  function swipeStart(event) {
    startX = event.touches.length === 1 ? event.touches[0].clientX : null;
    startY = event.touches.length === 1 ? event.touches[0].clientY : 0;
  }
  function swipeEnd(event) {
    if (startX === null || event.changedTouches.length !== 1) return;
    var dx = event.changedTouches[0].clientX - startX;
    var dy = event.changedTouches[0].clientY - startY;
    startX = null;
    if (window.visualViewport && window.visualViewport.scale > 1.01) return;
    if (Math.abs(dx) >= 60 && Math.abs(dx) >= 2 * Math.abs(dy)) show(current + (dx < 0 ? 1 : -1));
  }

  links.forEach(function (link, index) {
    link.addEventListener("click", function (event) {
      if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey) return;
      event.preventDefault();
      show(index, true);
    });
  });

  document.addEventListener("keydown", function (event) {
    if (current < 0 || event.altKey || event.ctrlKey || event.metaKey) return;
    if (event.key === "ArrowLeft") show(current - 1);
    else if (event.key === "ArrowRight") show(current + 1);
    else if (event.key === "Escape") close(true);
    else return;
    event.preventDefault();
  });

  // A turned phone or a resized window: the picture fits the new stage, in a copy that suits it.
  window.addEventListener("resize", function () {
    if (current >= 0) image.sizes = fittedWidth(links[current]) + "px";
  });

  // The back button closes the box; a link with "#bild-N" opens it.
  function fromAddress() {
    var match = /^#bild-(\d+)$/.exec(location.hash);
    if (match) show(Number(match[1]) - 1, false);
    else close(false);
  }
  window.addEventListener("popstate", fromAddress);
  if (location.hash) fromAddress();
})();
