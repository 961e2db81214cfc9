// Vistrel skin "Klassisch": keys and swipes on a photo's page. ← and → follow the links marked
// data-taste="ArrowLeft" and "ArrowRight" (the previous and the next photo), Escape the one
// marked "Escape" (the overview); a swipe to the left shows the next photo, one to the right
// the previous one. Without JavaScript the links work as they are.
(function () {
  "use strict";

  function follow(key) {
    var link = document.querySelector('a[data-taste="' + key + '"]');
    if (link) window.location.href = link.href;
    return Boolean(link);
  }

  document.addEventListener("keydown", function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
    if (event.key !== "ArrowLeft" && event.key !== "ArrowRight" && event.key !== "Escape") return;
    if (follow(event.key)) event.preventDefault();
  });

  // A swipe of at least 60 px, clearly more sideways than up or down, and not while the page is
  // pinch-zoomed (then a swipe moves the picture).
  var startX = null;
  var startY = 0;
  document.addEventListener("touchstart", function (event) {
    startX = event.touches.length === 1 ? event.touches[0].clientX : null;
    startY = event.touches.length === 1 ? event.touches[0].clientY : 0;
  }, { passive: true });
  document.addEventListener("touchend", function (event) {
    if (startX === null || event.changedTouches.length !== 1) return;
    var dx = event.changedTouches[0].clientX - startX;
    var dy = event.changedTouches[0].clientY - startY;
    startX = null;
    if (window.visualViewport && window.visualViewport.scale > 1.01) return;
    if (Math.abs(dx) >= 60 && Math.abs(dx) >= 2 * Math.abs(dy)) follow(dx < 0 ? "ArrowRight" : "ArrowLeft");
  }, { passive: true });
})();
