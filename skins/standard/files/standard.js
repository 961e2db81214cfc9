// Vistrel skin "Standard": the keys and swipes of a photo page. The arrow keys follow the
// links marked data-taste="ArrowLeft" / "ArrowRight", Escape the one marked "Escape"; a swipe
// to the left or right follows the next or previous link. Without JavaScript the links work
// as they are.
(function () {
  "use strict";

  function link(key) {
    return document.querySelector('a[data-taste="' + key + '"]');
  }

  function follow(key) {
    var target = link(key);
    if (target) {
      window.location.href = target.href;
      return true;
    }
    return false;
  }

  document.addEventListener("keydown", function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
    var field = event.target && event.target.closest && event.target.closest("input, textarea, select");
    if (field) return;
    if (event.key === "ArrowLeft" || event.key === "ArrowRight" || event.key === "Escape") {
      if (follow(event.key)) event.preventDefault();
    }
  });

  // A horizontal swipe of at least 60 px that is clearly more sideways than up or down.
  var startX = null;
  var startY = 0;
  document.addEventListener("touchstart", function (event) {
    if (event.touches.length !== 1) {
      startX = null;
      return;
    }
    startX = event.touches[0].clientX;
    startY = event.touches[0].clientY;
  }, { passive: true });
  document.addEventListener("touchend", function (event) {
    if (startX === null || event.changedTouches.length !== 1) return;
    var dx = event.changedTouches[0].clientX - startX;
    var dy = event.changedTouches[0].clientY - startY;
    startX = null;
    // Pinch-zoomed in, a swipe moves the picture, not the gallery.
    if (window.visualViewport && window.visualViewport.scale > 1.01) return;
    if (Math.abs(dx) < 60 || Math.abs(dx) < 2 * Math.abs(dy)) return;
    follow(dx < 0 ? "ArrowRight" : "ArrowLeft");
  }, { passive: true });
})();
